#include "tree/tree_search.h"

#include "tree/tree_model.h"

#include <array>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// QString::contains(needle, sensitivity) for node texts read as Latin-1 bytes,
// so a search over a million nodes needs no QString per node. Without regard
// to case Qt folds both sides character by character; so does this, with the
// folded Latin-1 characters from a table. A needle this cannot take (a
// character outside the Basic Multilingual Plane without regard to case) makes
// every node go through QString.
class Latin1Matcher {
public:
    Latin1Matcher(const QString& needle, bool caseSensitive) : caseSensitive_(caseSensitive)
    {
        if (caseSensitive) {
            for (const QChar c : needle) {
                if (c.unicode() > 0xFF) {
                    // No Latin-1 text holds it.
                    impossible_ = true;
                    return;
                }
                bytes_.push_back(char(c.unicode()));
            }
            usable_ = true;
            return;
        }
        for (const QChar c : needle) {
            if (c.isSurrogate())
                return;
            folded_.push_back(c.toCaseFolded().unicode());
        }
        for (int b = 0; b < 256; ++b)
            fold_[std::size_t(b)] = QChar(char16_t(b)).toCaseFolded().unicode();
        if (!folded_.empty()) {
            // The bytes that fold to the needle's first character.
            for (int b = 0; b < 256; ++b) {
                if (fold_[std::size_t(b)] == folded_[0]) {
                    if (firstCount_ < 2)
                        first_[firstCount_] = char(b);
                    ++firstCount_;
                }
            }
        }
        usable_ = true;
    }

    bool usable() const { return usable_; }

    bool matches(std::string_view text) const
    {
        if (impossible_)
            return false;
        if (caseSensitive_)
            return text.find(bytes_) != std::string_view::npos;
        const std::size_t m = folded_.size();
        if (m == 0)
            return true;
        if (text.size() < m || firstCount_ == 0)
            return false;
        const std::size_t last = text.size() - m;
        for (std::size_t i = nextCandidate(text, 0, last); i <= last;
             i = nextCandidate(text, i + 1, last)) {
            std::size_t j = 1;
            while (j < m && fold_[static_cast<unsigned char>(text[i + j])] == folded_[j])
                ++j;
            if (j == m)
                return true;
        }
        return false;
    }

private:
    // The first position from i to last whose byte folds to the needle's first
    // character, or last + 1.
    std::size_t nextCandidate(std::string_view text, std::size_t i, std::size_t last) const
    {
        const char* p = text.data();
        if (firstCount_ <= 2) {
#if defined(__SSE2__)
            const __m128i a = _mm_set1_epi8(first_[0]);
            const __m128i b = _mm_set1_epi8(firstCount_ == 2 ? first_[1] : first_[0]);
            for (; i + 16 <= last + 1; i += 16) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
                const int hit =
                    _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, a), _mm_cmpeq_epi8(v, b)));
                if (hit)
                    return i + std::size_t(__builtin_ctz(unsigned(hit)));
            }
#endif
            for (; i <= last; ++i)
                if (p[i] == first_[0] || (firstCount_ == 2 && p[i] == first_[1]))
                    return i;
            return last + 1;
        }
        for (; i <= last; ++i)
            if (fold_[static_cast<unsigned char>(p[i])] == folded_[0])
                return i;
        return last + 1;
    }

    bool caseSensitive_;
    bool usable_ = false;
    bool impossible_ = false;
    std::string bytes_;
    std::u16string folded_;
    std::array<char16_t, 256> fold_{};
    char first_[2] = {0, 0};
    int firstCount_ = 0;
};

} // namespace

int findNode(const TreeModel& model, const QString& searchText, bool caseSensitive,
             SearchRange range, int selected)
{
    const int count = model.nodeCount();
    int first = 1;
    int last = count;
    int step = 1;
    switch (range) {
    case SearchRange::FromFirst:
        break;
    case SearchRange::Next:
        if (selected <= 0)
            return 0;
        first = selected + 1;
        break;
    case SearchRange::Previous:
        if (selected <= 0)
            return 0;
        first = selected - 1;
        last = 1;
        step = -1;
        break;
    }
    // Without regard to case both sides are compared upper-cased; the needle once.
    const QString needle = caseSensitive ? searchText : searchText.toUpper();
    const Qt::CaseSensitivity sensitivity = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const Latin1Matcher matcher(needle, caseSensitive);
    std::string text;
    for (int position = first; step > 0 ? position <= last : position >= last; position += step) {
        text.clear();
        if (matcher.usable() && model.appendLatin1Text(position, text)) {
            if (matcher.matches(text))
                return position;
        } else if (model.text(position).contains(needle, sensitivity)) {
            return position;
        }
    }
    return 0;
}
