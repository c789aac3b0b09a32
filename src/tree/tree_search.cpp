#include "tree/tree_search.h"

#include "tree/tree_model.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Each character by itself in upper case, as the search compares texts
// without regard to case: one character stays one, so "ß" stays "ß" and never
// becomes "SS" (which QString::toUpper makes of it).
QString upperEachCharacter(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(c, text[i + 1]));
            out += QChar::highSurrogate(upper);
            out += QChar::lowSurrogate(upper);
            ++i;
        } else {
            out += c.toUpper();
        }
    }
    return out;
}

// The match of an upper-cased needle in node texts read as Latin-1 bytes, so
// a search over a million nodes needs no QString per node. Without regard to
// case every byte is compared by its character in upper case, from a table.
// A needle this cannot take (a character outside the Basic Multilingual
// Plane without regard to case) makes every node go through QString.
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
            upper_.push_back(c.unicode());
        }
        for (int b = 0; b < 256; ++b)
            upperOf_[std::size_t(b)] = QChar(char16_t(b)).toUpper().unicode();
        if (!upper_.empty()) {
            // The bytes whose upper case is the needle's first character.
            for (int b = 0; b < 256; ++b) {
                if (upperOf_[std::size_t(b)] == upper_[0]) {
                    if (firstCount_ < 2)
                        first_[firstCount_] = char(b);
                    ++firstCount_;
                }
            }
        }
        usable_ = true;
    }

    bool usable() const { return usable_; }

    // The same for a text given as pieces. A short first piece is a label that
    // many nodes share: what it does to the match (holds the needle, or ends
    // with a part of it that the rest must go on with) is worked out once.
    bool matches(const TreeModel::TextPieces& pieces) const
    {
        if (impossible_)
            return false;
        if (pieces.count == 2 && pieces.labelOwner) {
            const Label& label = labelOf(pieces);
            if (label.holds)
                return true;
            const std::string_view value(pieces.piece[1].data(),
                                         std::size_t(pieces.piece[1].size()));
            if (matches(value))
                return true;
            for (const std::size_t k : label.straddles)
                if (startsWithRest(value, k))
                    return true;
            return false;
        }
        for (int i = 0; i < pieces.count; ++i)
            if (matches(
                    std::string_view(pieces.piece[i].data(), std::size_t(pieces.piece[i].size()))))
                return true;
        const std::size_t m = needleSize();
        if (m < 2)
            return false;
        std::size_t start = 0; // where piece i begins in the whole text
        for (int i = 0; i + 1 < pieces.count; ++i) {
            const std::size_t size = std::size_t(pieces.piece[i].size());
            const std::size_t joint = start + size;
            for (std::size_t at = joint - std::min(size, m - 1); at < joint; ++at)
                if (matchesAt(pieces, i, at - start))
                    return true;
            start = joint;
        }
        return false;
    }

    bool matches(std::string_view text) const
    {
        if (impossible_)
            return false;
        if (caseSensitive_)
            return text.find(bytes_) != std::string_view::npos;
        const std::size_t m = upper_.size();
        if (m == 0)
            return true;
        if (text.size() < m || firstCount_ == 0)
            return false;
        const std::size_t last = text.size() - m;
        for (std::size_t i = nextCandidate(text, 0, last); i <= last;
             i = nextCandidate(text, i + 1, last)) {
            std::size_t j = 1;
            while (j < m && upperOf_[static_cast<unsigned char>(text[i + j])] == upper_[j])
                ++j;
            if (j == m)
                return true;
        }
        return false;
    }

private:
    struct Label {
        const void* owner;
        int id;
        bool holds = false;                 // the label alone holds the needle
        std::vector<std::size_t> straddles; // k: the label ends with the needle's first k
    };

    std::size_t needleSize() const { return caseSensitive_ ? bytes_.size() : upper_.size(); }

    const Label& labelOf(const TreeModel::TextPieces& pieces) const
    {
        for (const Label& label : labels_)
            if (label.id == pieces.labelId && label.owner == pieces.labelOwner)
                return label;
        const std::string_view key(pieces.piece[0].data(), std::size_t(pieces.piece[0].size()));
        Label label;
        label.owner = pieces.labelOwner;
        label.id = pieces.labelId;
        label.holds = matches(key);
        const std::size_t m = needleSize();
        for (std::size_t k = 1; k < m && k <= key.size(); ++k) {
            bool ends = true;
            for (std::size_t j = 0; ends && j < k; ++j)
                ends = sameChar(key[key.size() - k + j], j);
            if (ends)
                label.straddles.push_back(k);
        }
        labels_.push_back(std::move(label));
        return labels_.back();
    }

    // Whether text begins with the needle after its first k characters.
    bool startsWithRest(std::string_view text, std::size_t k) const
    {
        const std::size_t m = needleSize();
        if (text.size() < m - k)
            return false;
        for (std::size_t j = k; j < m; ++j)
            if (!sameChar(text[j - k], j))
                return false;
        return true;
    }

    bool sameChar(char c, std::size_t j) const
    {
        return caseSensitive_ ? c == bytes_[j] : upperOf_[static_cast<unsigned char>(c)] == upper_[j];
    }

    // Whether the needle starts at offset `at` of piece i and runs on through
    // the pieces after it.
    bool matchesAt(const TreeModel::TextPieces& pieces, int i, std::size_t at) const
    {
        const std::size_t m = needleSize();
        std::size_t j = 0;
        for (int k = i; k < pieces.count && j < m; ++k, at = 0) {
            const QLatin1StringView piece = pieces.piece[k];
            for (; at < std::size_t(piece.size()) && j < m; ++at, ++j)
                if (!sameChar(piece.data()[at], j))
                    return false;
        }
        return j == m;
    }

    // The first position from i to last whose byte is the needle's first
    // character in upper case, or last + 1.
    std::size_t nextCandidate(std::string_view text, std::size_t i, std::size_t last) const
    {
        const char* p = text.data();
        if (firstCount_ <= 2) {
#if defined(__SSE2__)
            const std::size_t n = text.size();
            if (n >= 16) {
                const __m128i a = _mm_set1_epi8(first_[0]);
                const __m128i b = _mm_set1_epi8(firstCount_ == 2 ? first_[1] : first_[0]);
                while (i <= last) {
                    // Sixteen bytes from i, or the last sixteen of the text.
                    const std::size_t at = std::min(i, n - 16);
                    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
                    unsigned hit = unsigned(_mm_movemask_epi8(
                        _mm_or_si128(_mm_cmpeq_epi8(v, a), _mm_cmpeq_epi8(v, b))));
                    hit &= ~0u << (i - at);
                    if (hit) {
                        const std::size_t found = at + std::size_t(__builtin_ctz(hit));
                        return found <= last ? found : last + 1;
                    }
                    i = at + 16;
                }
                return last + 1;
            }
#endif
            for (; i <= last; ++i)
                if (p[i] == first_[0] || (firstCount_ == 2 && p[i] == first_[1]))
                    return i;
            return last + 1;
        }
        for (; i <= last; ++i)
            if (upperOf_[static_cast<unsigned char>(p[i])] == upper_[0])
                return i;
        return last + 1;
    }

    bool caseSensitive_;
    bool usable_ = false;
    mutable std::deque<Label> labels_; // a deque: labels handed out stay put
    bool impossible_ = false;
    std::string bytes_;
    std::u16string upper_;
    std::array<char16_t, 256> upperOf_{};
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
    const QString needle = caseSensitive ? searchText : upperEachCharacter(searchText);
    const Latin1Matcher matcher(needle, caseSensitive);
    std::string text;
    for (int position = first; step > 0 ? position <= last : position >= last; position += step) {
        if (matcher.usable()) {
            TreeModel::TextPieces pieces;
            if (model.textPieces(position, pieces)) {
                if (matcher.matches(pieces))
                    return position;
                continue;
            }
            text.clear();
            if (model.appendLatin1Text(position, text)) {
                if (matcher.matches(text))
                    return position;
                continue;
            }
        }
        const QString nodeText = model.text(position);
        if ((caseSensitive ? nodeText : upperEachCharacter(nodeText)).contains(needle))
            return position;
    }
    return 0;
}
