// The number edits' rules: raise to 1, refuse a text that reaches its length limit.
#include "preferences/engine/numberrules.h"

namespace pw::prefs {

namespace {

// atoi's reading: blanks, a sign, then digits up to the first other character. Saturates rather
// than overflowing; the callers' limits keep texts far below that anyway.
long long leadingValue(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        negative = text.at(i++) == QLatin1Char('-');
    long long value = 0;
    for (; i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128; ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > 1000000000LL)
            break;
    }
    return negative ? -value : value;
}

int largestFitting(int lengthLimit)
{
    int largest = 0;
    for (int i = 1; i < lengthLimit; ++i)
        largest = largest * 10 + 9;
    return largest;
}

} // namespace

NumberEditOutcome numberEditChanged(const NumberEditRule &rule, const QString &typed,
                                    int previousValue)
{
    NumberEditOutcome outcome;
    if (typed.size() >= rule.lengthLimit) {
        outcome.value = previousValue;
        outcome.text = QString::number(previousValue);
        outcome.reverted = true;
        return outcome;
    }
    const long long value = leadingValue(typed);
    if (value < 1) {
        outcome.value = 1;
        outcome.text = QStringLiteral("1");
        return outcome;
    }
    outcome.value = int(value);
    outcome.text = typed;
    return outcome;
}

int numberEditInitial(const NumberEditRule &rule, int stored)
{
    if (stored < 1)
        return 1;
    return stored > largestFitting(rule.lengthLimit) ? largestFitting(rule.lengthLimit) : stored;
}

} // namespace pw::prefs
