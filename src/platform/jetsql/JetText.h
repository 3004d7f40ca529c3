#pragma once
// Text rules of the database: comparison order and LIKE matching.
//
// Order: letters compare by their base letter first (accents and case ignored),
// so "Ação" sorts among the "a"s; when two texts have the same base letters the
// first accent difference decides (unaccented first); letter case never
// distinguishes two texts. Other characters compare by code point.
// LIKE ignores case (for accented letters too) but not accents.
#include <QString>
#include <string_view>

namespace jetsql::text {

// <0, 0, >0. Works on UTF-8 directly (the collation's hot path).
int compareUtf8(std::string_view a, std::string_view b);
int compare(const QString &a, const QString &b);

// Jet LIKE: * any run, ? one character, # one digit, [abc] [!abc] [a-z] a set.
class LikePattern {
public:
    explicit LikePattern(const QString &pattern);
    bool matches(const QString &value) const;
    // The literal text before the first wildcard (for a range condition).
    static QString literalPrefix(const QString &pattern);

private:
    struct Item {
        enum class K { Lit, Any, Digit, Set, Star } k = K::Lit;
        char32_t c = 0;
        bool negated = false;
        std::u32string set; // pairs lo,hi
    };
    std::vector<Item> items_;
};

} // namespace jetsql::text
