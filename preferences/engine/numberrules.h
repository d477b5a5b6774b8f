// The rules of the preferences' number edits: what a typed text becomes, and when it is refused.
#pragma once

#include <QString>

namespace pw::prefs {

// An edit with a spin beside it. Texts shorter than lengthLimit are taken; a text that reaches
// the limit is refused and the previous value comes back.
struct NumberEditRule
{
    int lengthLimit; // 4 for the tab width and the long line column, 3 for backup versions
    int spinMinimum;
    int spinMaximum; // the spin's range; typing may go beyond it up to lengthLimit - 1 digits
};

inline constexpr NumberEditRule TabWidthRule{4, 1, 999};
inline constexpr NumberEditRule LongLineRule{4, 1, 500};
inline constexpr NumberEditRule VersionsRule{3, 1, 99};

struct NumberEditOutcome
{
    int value = 1;
    // What the edit must show afterwards; equal to the typed text when it was taken as it is.
    QString text;
    bool reverted = false; // the text reached the limit and the previous value came back
};

// The typed text's decimal value (its leading digits, as atoi reads them; none reads 0), raised
// to 1 when below 1; or, when the text has lengthLimit characters or more, previousValue again.
NumberEditOutcome numberEditChanged(const NumberEditRule &rule, const QString &typed,
                                    int previousValue);

// A stored value as the edit starts with it: below 1 becomes 1, and a value with too many digits
// for the edit is cut to the largest that fits.
int numberEditInitial(const NumberEditRule &rule, int stored);

} // namespace pw::prefs
