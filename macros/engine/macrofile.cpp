// The macros file: bounded reading, atomic writing, and removing and renaming macros in it.
#include "macros/engine/macrofile.h"

#include "macros/engine/macrorecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace pw::macrofile {

ReadResult read(const QString &path, tinyxml2::XMLDocument &doc)
{
    doc.Clear();
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return ReadResult::Missing;
    if (file.size() > macrolimits::MaxFileBytes)
        return ReadResult::TooLarge;
    // Read one byte past the bound, in case the file grew since its size was asked.
    const QByteArray bytes = file.read(macrolimits::MaxFileBytes + 1);
    if (bytes.size() > macrolimits::MaxFileBytes)
        return ReadResult::TooLarge;
    if (doc.Parse(bytes.constData(), std::size_t(bytes.size())) != tinyxml2::XML_SUCCESS)
        return ReadResult::Malformed;
    return ReadResult::Read;
}

bool write(const QString &path, tinyxml2::XMLDocument &doc)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const qint64 size = printer.CStrSize() > 0 ? printer.CStrSize() - 1 : 0; // without the NUL
    if (file.write(printer.CStr(), size) != size)
        return false;
    return file.commit();
}

tinyxml2::XMLElement *root(tinyxml2::XMLDocument &doc)
{
    return doc.FirstChildElement("macros");
}

tinyxml2::XMLElement *findMacro(tinyxml2::XMLElement *root, const QString &name)
{
    if (!root || name.isEmpty())
        return nullptr;
    // Names are matched as they are listed, decoded: a name whose bytes are not UTF-8 is still
    // found, renamed and removed under the name the user sees.
    for (auto *macro = root->FirstChildElement("macro"); macro;
         macro = macro->NextSiblingElement("macro")) {
        const char *own = macro->Attribute("name");
        if (own && *own && QString::fromUtf8(own) == name)
            return macro;
    }
    return nullptr;
}

QStringList names(const QString &path, ReadResult *readResult)
{
    tinyxml2::XMLDocument doc;
    QStringList result;
    const ReadResult status = read(path, doc);
    if (readResult)
        *readResult = status;
    if (status != ReadResult::Read)
        return result;
    tinyxml2::XMLElement *macros = root(doc);
    for (auto *macro = macros ? macros->FirstChildElement("macro") : nullptr; macro;
         macro = macro->NextSiblingElement("macro")) {
        const char *name = macro->Attribute("name");
        if (name && *name)
            result.append(QString::fromUtf8(name));
    }
    return result;
}

bool contains(const QString &path, const QString &name)
{
    tinyxml2::XMLDocument doc;
    return read(path, doc) == ReadResult::Read && findMacro(root(doc), name) != nullptr;
}

bool remove(const QString &path, const QString &name)
{
    tinyxml2::XMLDocument doc;
    if (read(path, doc) != ReadResult::Read)
        return false;
    tinyxml2::XMLElement *macros = root(doc);
    tinyxml2::XMLElement *macro = findMacro(macros, name);
    if (!macro)
        return false;
    macros->DeleteChild(macro);
    return write(path, doc);
}

bool rename(const QString &path, const QString &from, const QString &to)
{
    tinyxml2::XMLDocument doc;
    if (to.isEmpty() || read(path, doc) != ReadResult::Read)
        return false;
    tinyxml2::XMLElement *macro = findMacro(root(doc), from);
    if (!macro)
        return false;
    macro->SetAttribute("name", to.toUtf8().constData());
    return write(path, doc);
}

} // namespace pw::macrofile
