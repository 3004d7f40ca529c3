#include "platform/jetsql/JetText.h"

#include <QChar>
#include <QList>
#include <array>

namespace jetsql::text {
namespace {

struct Weights {
    char32_t primary;   // base letter, lower case
    char32_t secondary; // lower case, accent kept
};

// Precomputed for the Latin range, where every accented letter of Portuguese lives.
constexpr char32_t kTableSize = 0x250;

const std::array<Weights, kTableSize> &latinTable() {
    static const std::array<Weights, kTableSize> table = [] {
        std::array<Weights, kTableSize> t{};
        for (char32_t cp = 0; cp < kTableSize; ++cp) {
            const char32_t lower = QChar::toLower(cp);
            char32_t base = lower;
            if (cp >= 0x80) {
                const QString dec = QChar(char16_t(cp)).decomposition();
                if (!dec.isEmpty() && QChar::category(dec.at(0).unicode()) != QChar::Mark_NonSpacing &&
                    QChar(char16_t(cp)).decompositionTag() == QChar::Canonical) {
                    base = QChar::toLower(char32_t(dec.at(0).unicode()));
                }
            }
            t[cp] = {base, lower};
        }
        return t;
    }();
    return table;
}

inline Weights weights(char32_t cp) {
    if (cp < 0x80) {
        const char32_t l = (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
        return {l, l};
    }
    if (cp < kTableSize) return latinTable()[cp];
    const char32_t l = QChar::toLower(cp);
    return {l, l};
}

// Decodes one code point; malformed bytes are taken one by one.
inline char32_t decode(std::string_view s, size_t &i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) { ++i; return b0; }
    auto cont = [&](size_t k) { return k < s.size() && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80; };
    if ((b0 & 0xE0) == 0xC0 && cont(i + 1)) {
        const char32_t cp = ((b0 & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
        i += 2;
        return cp;
    }
    if ((b0 & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
        const char32_t cp = ((b0 & 0x0F) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 6) |
                            (static_cast<unsigned char>(s[i + 2]) & 0x3F);
        i += 3;
        return cp;
    }
    if ((b0 & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
        const char32_t cp = ((b0 & 0x07) << 18) | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 12) |
                            ((static_cast<unsigned char>(s[i + 2]) & 0x3F) << 6) |
                            (static_cast<unsigned char>(s[i + 3]) & 0x3F);
        i += 4;
        return cp;
    }
    ++i;
    return 0xFFFD;
}

inline int sign(long long v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

inline char32_t foldCase(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toLower(c);
}

std::u32string toUcs4Folded(const QString &s) {
    std::u32string out;
    out.reserve(size_t(s.size()));
    for (const char32_t c : s.toUcs4()) out.push_back(foldCase(c));
    return out;
}

} // namespace

int compareUtf8(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    int tie = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if ((ca | cb) < 0x80) { // ASCII fast path: digits, dots and plain letters
            if (ca != cb) {
                const int la = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
                const int lb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
                if (la != lb) return la - lb;
            }
            ++i;
            ++j;
            continue;
        }
        const Weights wa = weights(decode(a, i));
        const Weights wb = weights(decode(b, j));
        if (wa.primary != wb.primary) return sign(static_cast<long long>(wa.primary) - static_cast<long long>(wb.primary));
        if (tie == 0 && wa.secondary != wb.secondary)
            tie = sign(static_cast<long long>(wa.secondary) - static_cast<long long>(wb.secondary));
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return tie;
}

int compare(const QString &a, const QString &b) {
    const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    return compareUtf8(std::string_view(ua.constData(), size_t(ua.size())),
                       std::string_view(ub.constData(), size_t(ub.size())));
}

LikePattern::LikePattern(const QString &pattern) {
    const std::u32string p = toUcs4Folded(pattern);
    for (size_t i = 0; i < p.size(); ++i) {
        Item it;
        const char32_t c = p[i];
        if (c == U'*') {
            if (!items_.empty() && items_.back().k == Item::K::Star) continue;
            it.k = Item::K::Star;
        } else if (c == U'?') {
            it.k = Item::K::Any;
        } else if (c == U'#') {
            it.k = Item::K::Digit;
        } else if (c == U'[') {
            const size_t close = p.find(U']', i + 1);
            if (close == std::u32string::npos) { // an unclosed bracket stands for itself
                it.c = c;
            } else {
                it.k = Item::K::Set;
                size_t k = i + 1;
                if (k < close && p[k] == U'!') { it.negated = true; ++k; }
                while (k < close) {
                    if (k + 2 < close && p[k + 1] == U'-') {
                        it.set.push_back(p[k]);
                        it.set.push_back(p[k + 2]);
                        k += 3;
                    } else {
                        it.set.push_back(p[k]);
                        it.set.push_back(p[k]);
                        ++k;
                    }
                }
                i = close;
            }
        } else {
            it.c = c;
        }
        items_.push_back(it);
    }
}

bool LikePattern::matches(const QString &valueIn) const {
    const std::u32string v = toUcs4Folded(valueIn);
    auto one = [](const Item &it, char32_t c) {
        switch (it.k) {
        case Item::K::Lit: return it.c == c;
        case Item::K::Any: return true;
        case Item::K::Digit: return c >= U'0' && c <= U'9';
        case Item::K::Set: {
            bool in = false;
            for (size_t k = 0; k + 1 < it.set.size(); k += 2)
                if (c >= it.set[k] && c <= it.set[k + 1]) { in = true; break; }
            return in != it.negated;
        }
        case Item::K::Star: return false;
        }
        return false;
    };
    // Greedy matching with backtracking to the last star: linear for one star.
    size_t pi = 0, vi = 0;
    size_t starP = std::u32string::npos, starV = 0;
    while (vi < v.size()) {
        if (pi < items_.size() && items_[pi].k == Item::K::Star) {
            starP = pi++;
            starV = vi;
        } else if (pi < items_.size() && one(items_[pi], v[vi])) {
            ++pi;
            ++vi;
        } else if (starP != std::u32string::npos) {
            pi = starP + 1;
            vi = ++starV;
        } else {
            return false;
        }
    }
    while (pi < items_.size() && items_[pi].k == Item::K::Star) ++pi;
    return pi == items_.size();
}

QString LikePattern::literalPrefix(const QString &pattern) {
    QString out;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#') || c == QLatin1Char('['))
            break;
        out += c;
    }
    return out;
}

} // namespace jetsql::text
