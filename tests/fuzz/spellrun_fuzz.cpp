// Fuzz target for the spelling walk: any bytes, any selection, through Aspell when it is installed.
#include "spell/engine/aspellbinding.h"
#include "spell/engine/speller.h"
#include "spell/engine/spellrun.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

using namespace pw::spell;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Without Aspell: every run of ASCII letters longer than two is misspelt.
class LetterRuns final : public TokenSource
{
public:
    void process(const char *text) override
    {
        m_text = text;
        m_at = 0;
    }
    SpellToken next() override
    {
        const auto letter = [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
        while (m_text[m_at]) {
            while (m_text[m_at] && !letter(m_text[m_at]))
                ++m_at;
            const std::size_t start = m_at;
            while (letter(m_text[m_at]))
                ++m_at;
            if (m_at - start > 2)
                return {qint64(start), qint64(m_at - start)};
        }
        return {};
    }

private:
    const char *m_text = "";
    std::size_t m_at = 0;
};

TokenSource &checker()
{
    static std::unique_ptr<Speller> speller;
    static LetterRuns letters;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (AspellLibrary::instance().load()) {
            speller = std::make_unique<Speller>();
            if (!speller->initialize({}))
                speller.reset();
        }
    }
    return speller ? static_cast<TokenSource &>(*speller) : letters;
}

// Input: two bytes placing the selection's ends (as 255ths of the text), then the text.
void run(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return;
    const ByteText text(QByteArray(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2)));
    const qint64 length = text.length();
    for (int line = 0; line < text.lineCount(); ++line) {
        check(text.lineStart(line) <= text.lineEnd(line));
        check(text.lineOf(text.lineStart(line)) == line);
    }
    SpellRun spellRun(text, checker());
    const qint64 a = length * data[0] / 255;
    const qint64 b = length * data[1] / 255;
    spellRun.setSelection(a, b);
    const qint64 from = a == b ? 0 : std::min(a, b);
    const qint64 to = a == b ? length : std::max(a, b);
    qint64 after = from;
    for (auto hit = spellRun.next(false); hit; hit = spellRun.next(true)) {
        check(hit->length > 0);
        check(hit->position >= after);
        check(hit->position + hit->length <= to);
        after = hit->position + hit->length;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    run(data, size);
    return 0;
}
