// MacroRecorder: building steps from the component's reports, and saving and loading macros.
#include "macros/engine/macrorecorder.h"

#include "macros/engine/macrofile.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace pw {

namespace {

// Messages whose lParam is a string; the first four give its length in wParam rather than
// ending it with a zero byte.
constexpr std::array<int, 4> CountedTextMessages{2001, 2002, 2073, 2282};
constexpr std::array<int, 16> TextMessages{2001, 2002, 2003, 2056, 2073, 2077, 2170, 2181,
                                           2194, 2195, 2197, 2276, 2282, 2367, 2368, 2443};
// The target messages take a length in wParam too, unless it is -1.
constexpr std::array<int, 3> TargetTextMessages{2194, 2195, 2197};

bool contains(const auto &table, int message)
{
    return std::find(table.begin(), table.end(), message) != table.end();
}

std::string textAt(int message, quintptr wParam, const char *text)
{
    const bool counted = contains(CountedTextMessages, message) ||
                         (contains(TargetTextMessages, message) && wParam != quintptr(-1));
    const std::size_t length = counted ? std::min<std::size_t>(wParam, macrolimits::MaxTextBytes)
                                       : strnlen(text, macrolimits::MaxTextBytes);
    return std::string(text, length);
}

} // namespace

bool messageCarriesText(int message)
{
    return contains(TextMessages, message);
}

void MacroRecorder::start(const QString &name)
{
    m_name = name;
    m_steps.clear();
    m_overflowed = false;
}

bool MacroRecorder::add(int message, quintptr wParam, qintptr lParam)
{
    if (m_steps.size() >= std::size_t(macrolimits::MaxSteps)) {
        m_overflowed = true;
        return false;
    }
    MacroStep step;
    step.message = message;
    step.wParam = quint32(wParam);
    if (messageCarriesText(message) && lParam >= 1)
        step.text = textAt(message, wParam, reinterpret_cast<const char *>(lParam));
    else
        step.lParam = qint32(lParam);
    m_steps.push_back(std::move(step));
    return true;
}

MacroRecorder::SaveResult MacroRecorder::save() const
{
    if (m_name.isEmpty() || m_path.isEmpty())
        return SaveResult::NoNameOrPath;
    tinyxml2::XMLDocument doc;
    switch (macrofile::read(m_path, doc)) {
    case macrofile::ReadResult::Read:
        break;
    case macrofile::ReadResult::TooLarge:
        // Starting afresh would throw away every macro the file holds.
        return SaveResult::TooLarge;
    case macrofile::ReadResult::Missing:
    case macrofile::ReadResult::Malformed:
        doc.Clear();
        doc.InsertEndChild(doc.NewDeclaration());
        doc.InsertEndChild(doc.NewElement("macros"));
        break;
    }
    tinyxml2::XMLElement *root = macrofile::root(doc);
    if (!root)
        return SaveResult::NoRoot;
    tinyxml2::XMLElement *macro = root->InsertNewChildElement("macro");
    macro->SetAttribute("name", m_name.toUtf8().constData());
    for (const MacroStep &step : m_steps) {
        tinyxml2::XMLElement *element = macro->InsertNewChildElement("step");
        element->SetAttribute("msg", step.message);
        element->SetAttribute("wparam", unsigned(step.wParam));
        element->SetAttribute("lparam", step.lParam);
        element->SetAttribute("sparam", step.text.c_str());
    }
    return macrofile::write(m_path, doc) ? SaveResult::Saved : SaveResult::WriteFailed;
}

MacroRecorder::LoadResult MacroRecorder::load(const QString &name)
{
    if (m_path.isEmpty())
        return LoadResult::NoPath;
    tinyxml2::XMLDocument doc;
    const macrofile::ReadResult read = macrofile::read(m_path, doc);
    if (read == macrofile::ReadResult::TooLarge)
        return LoadResult::TooLarge;
    if (read != macrofile::ReadResult::Read)
        return LoadResult::NotFound;
    const tinyxml2::XMLElement *macro = macrofile::findMacro(macrofile::root(doc), name);
    if (!macro)
        return LoadResult::NotFound;
    int count = 0;
    for (auto *e = macro->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (++count > macrolimits::MaxSteps)
            return LoadResult::TooManySteps;
    }
    std::deque<MacroStep> steps;
    for (auto *e = macro->FirstChildElement(); e; e = e->NextSiblingElement()) {
        MacroStep step;
        step.message = e->IntAttribute("msg");
        // A negative wParam (-1 for "here") is stored by some writers as a signed number.
        unsigned wParam = 0;
        if (e->QueryUnsignedAttribute("wparam", &wParam) != tinyxml2::XML_SUCCESS)
            wParam = unsigned(e->IntAttribute("wparam"));
        step.wParam = wParam;
        if (messageCarriesText(step.message)) {
            // The text is the string, whatever number the file puts beside it.
            const char *text = e->Attribute("sparam");
            step.text = text ? std::string(text, strnlen(text, macrolimits::MaxTextBytes)) : "";
        } else {
            step.lParam = e->IntAttribute("lparam");
        }
        steps.push_back(std::move(step));
    }
    m_steps = std::move(steps);
    m_name = name;
    return LoadResult::Loaded;
}

} // namespace pw
