// MacroRecorder: the steps of one macro, recorded from the editing component and kept in
// macros.xml.
#pragma once

#include <QString>
#include <cstdint>
#include <deque>
#include <string>

namespace pw {

// One recorded message. A message that carries a string keeps it in text, with lParam 0.
struct MacroStep
{
    int message = 0;
    quint32 wParam = 0;
    qint32 lParam = 0;
    std::string text;
    friend bool operator==(const MacroStep &, const MacroStep &) = default;
};

// Bounds that keep a crafted or runaway macro from eating the machine.
namespace macrolimits {
inline constexpr qint64 MaxFileBytes = 16ll << 20;
inline constexpr int MaxSteps = 100000;
inline constexpr std::size_t MaxTextBytes = 1u << 20;
} // namespace macrolimits

// Whether the message's lParam is a string the step must keep as text.
bool messageCarriesText(int message);

class MacroRecorder
{
public:
    enum class SaveResult { Saved, NoNameOrPath, NoRoot, TooLarge, WriteFailed };
    enum class LoadResult { Loaded, NoPath, NotFound, TooLarge, TooManySteps };

    explicit MacroRecorder(QString path = {}) : m_path(std::move(path)) {}

    // Names the macro and forgets its steps.
    void start(const QString &name);
    // lParam is the component's own: for a string message, the address of the text. False when
    // the macro already holds MaxSteps steps and the step was dropped.
    bool add(int message, quintptr wParam, qintptr lParam);
    // Appends the macro to the file (made with its root when missing).
    SaveResult save() const;
    // Replaces the steps with those of the first macro of that name in the file; on anything
    // but Loaded the steps stay as they were.
    LoadResult load(const QString &name);

    const std::deque<MacroStep> &steps() const { return m_steps; }
    void setSteps(std::deque<MacroStep> steps) { m_steps = std::move(steps); }
    const QString &name() const { return m_name; }
    const QString &path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    // Steps were dropped since start() because the macro reached MaxSteps.
    bool overflowed() const { return m_overflowed; }

private:
    std::deque<MacroStep> m_steps;
    QString m_name;
    QString m_path;
    bool m_overflowed = false;
};

} // namespace pw
