#include "lexicon/memory/memory_text.h"

#include <algorithm>
#include <cstring>

#include "lexicon/base/gbk.h"

namespace lexicon::memory {

namespace {

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool is_ascii_alnum(char c) { return is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The length of the printf conversion at text[at] == '%' ("%-5.2f", "%2$s", "%I64d"),
// or 0. The rules of the compiler's placeholder check, without its bookkeeping: a blank
// is no flag, so "100% of" holds no placeholder.
std::size_t printf_length(std::string_view text, std::size_t at) {
    std::size_t i = at + 1;
    auto more = [&] { return i < text.size(); };
    // An argument number: %2$s.
    std::size_t j = i;
    while (j < text.size() && is_digit(text[j])) ++j;
    if (j > i && j < text.size() && text[j] == '$') i = j + 1;
    while (more() && std::strchr("-+#0'", text[i]) != nullptr && text[i] != '\0') ++i;
    if (more() && text[i] == '*') {
        ++i;
    } else {
        while (more() && is_digit(text[i])) ++i;
    }
    if (more() && text[i] == '.') {
        ++i;
        if (more() && text[i] == '*') {
            ++i;
        } else {
            while (more() && is_digit(text[i])) ++i;
        }
    }
    for (std::string_view length : {"hh", "ll", "I64", "I32", "h", "l", "L", "j", "z", "t", "I", "q"}) {
        if (text.substr(i, length.size()) == length) {
            i += length.size();
            break;
        }
    }
    if (!more() || std::strchr("diouxXeEfFgGaAcspnSC", text[i]) == nullptr || text[i] == '\0') return 0;
    return i + 1 - at;
}

// The length of the placeholder at text[at] ('%' or '{'), or 0 when none starts there.
std::size_t placeholder_length(std::string_view text, std::size_t at) {
    if (text[at] == '{') {
        std::size_t i = at + 1;
        while (i < text.size() && is_digit(text[i]) && i - at < 4) ++i;
        return i > at + 1 && i < text.size() && text[i] == '}' ? i + 1 - at : 0;
    }
    if (at + 1 >= text.size() || text[at + 1] == '%') return 0;
    if (const std::size_t n = printf_length(text, at); n != 0) return n;
    // A message insert: %1 to %99, perhaps with its format, %2!d!.
    std::size_t i = at + 1;
    while (i < text.size() && is_digit(text[i]) && i - at < 3) ++i;
    if (i == at + 1 || text[at + 1] == '0') return 0;
    if (i < text.size() && text[i] == '!') {
        const std::size_t close = text.find('!', i + 1);
        if (close != std::string_view::npos && close - i <= 8) i = close + 1;
    }
    return i - at;
}

// The length of the number at text[at] (a digit): digits, with '.' or ',' between them.
std::size_t number_length(std::string_view text, std::size_t at) {
    std::size_t i = at;
    for (;;) {
        while (i < text.size() && is_digit(text[i])) ++i;
        if (i + 1 < text.size() && (text[i] == '.' || text[i] == ',') && is_digit(text[i + 1])) {
            ++i;
            continue;
        }
        return i - at;
    }
}

constexpr bool is_marker(char c) { return c == '&' || c == '_' || c == '~'; }

// "(&X)", "(_X)" or "(~X)" at text[at], the Chinese way of writing an access key.
bool access_key_in_parentheses(std::string_view text, std::size_t at) {
    return text.size() - at >= 4 && text[at] == '(' && is_marker(text[at + 1]) && is_ascii_alnum(text[at + 2]) &&
           text[at + 3] == ')';
}

// What formats a text rather than says something: where its shortcut after a tab and its
// closing colon or ellipsis start, and the marker of its access key.
struct Shape {
    std::size_t body_end;     // the text before the closing mark and the shortcut
    std::size_t closing_end;  // where the shortcut starts (or the end)
    char marker = 0;
};

// A shortcut is what follows the last tab, when it is short and plain ASCII without a
// placeholder: "\tCtrl+N", "\tF3", "\tShift+Del"; "%1$s\t%2$s" has none.
std::size_t shortcut_start(std::string_view text) {
    const std::size_t tab = text.rfind('\t');
    if (tab == std::string_view::npos || tab + 1 == text.size() || text.size() - tab - 1 > 24) return text.size();
    for (std::size_t i = tab + 1; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0x80 || b < 0x20 || b == '%' || b == '{') return text.size();
    }
    // A lead byte before the tab cannot end with it: the tab is ASCII, never a trail byte.
    return tab;
}

// '_' and '~' are access keys only where nothing says they are ordinary characters: once
// in the text, before a letter or digit, and not inside a word that has no blank around
// it ("file_name" is a name, "Save _As" and "_Path" are labels).
bool quiet_marker(std::string_view text, std::size_t end, char marker) {
    const std::size_t at = text.find(marker);
    if (at == std::string_view::npos || at + 1 >= end || !is_ascii_alnum(text[at + 1])) return false;
    if (text.find(marker, at + 1) != std::string_view::npos) return false;
    const bool word_before = at > 0 && is_ascii_alnum(text[at - 1]);
    return !word_before || text.substr(0, end).find(' ') != std::string_view::npos;
}

Shape shape_of(std::string_view text) {
    Shape shape;
    shape.closing_end = shortcut_start(text);
    std::size_t end = shape.closing_end;
    for (std::string_view mark : {"...", "\xA1\xAD", "\xA3\xBA", ":"}) {  // "…", "："
        if (text.substr(0, end).ends_with(mark) && (mark.size() != 2 || gbk::step_back(text, 0, end) == end - 2)) {
            end -= mark.size();
            break;
        }
    }
    shape.body_end = end;
    for (std::size_t i = 0; i < end; i += gbk::char_length(text, i)) {
        if (text[i] == '&' && i + 1 < end && is_ascii_alnum(text[i + 1])) {
            shape.marker = '&';
            return shape;
        }
        if (text[i] == '&') ++i;  // "&&" is a literal '&'
    }
    if (quiet_marker(text, end, '_')) {
        shape.marker = '_';
    } else if (quiet_marker(text, end, '~')) {
        shape.marker = '~';
    }
    return shape;
}

template <typename OnNumber, typename OnPlaceholder>
void scan(std::string_view text, std::u16string& units, char& access_key, OnNumber on_number,
          OnPlaceholder on_placeholder, char* marker = nullptr, Shape* shaped = nullptr) {
    const Shape shape = shape_of(text);
    if (marker) *marker = shape.marker;
    if (shaped) *shaped = shape;
    text = text.substr(0, shape.body_end);
    units.clear();
    bool blank = false;
    auto put = [&](Unit u) {
        if (blank && !units.empty()) units.push_back(u' ');
        blank = false;
        units.push_back(u);
    };
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = gbk::char_length(text, i);
        const char c = text[i];
        if (n == 2) {
            put(static_cast<Unit>(static_cast<unsigned char>(c) << 8 | static_cast<unsigned char>(text[i + 1])));
            i += 2;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = true;
            ++i;
        } else if (access_key_in_parentheses(text, i)) {
            access_key = text[i + 2];
            i += 4;
            blank = false;  // "Save (&S)..." is "&Save..."
        } else if (c == shape.marker && c != '&' && i + 1 < text.size() && is_ascii_alnum(text[i + 1])) {
            access_key = text[i + 1];
            ++i;
        } else if (c == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                put(u'&');
                i += 2;
            } else {
                if (i + 1 < text.size() && is_ascii_alnum(text[i + 1])) access_key = text[i + 1];
                ++i;
            }
        } else if ((c == '%' || c == '{') && placeholder_length(text, i) != 0) {
            const std::size_t length = placeholder_length(text, i);
            on_placeholder(text.substr(i, length));
            put(placeholder_token);
            i += length;
        } else if (c == '%' && i + 1 < text.size() && text[i + 1] == '%') {
            put(u'%');
            i += 2;
        } else if (is_digit(c)) {
            const std::size_t length = number_length(text, i);
            on_number(text.substr(i, length));
            put(number_token);
            i += length;
        } else {
            put(static_cast<Unit>(static_cast<unsigned char>(lower(c))));
            ++i;
        }
    }
}

}  // namespace

Normalised normalise(std::string_view gbk) {
    Normalised out;
    Shape shape{};
    scan(
        gbk, out.units, out.access_key, [&](std::string_view n) { out.numbers.push_back(n); },
        [&](std::string_view p) { out.placeholders.push_back(p); }, &out.key_marker, &shape);
    if (out.access_key == 0) out.key_marker = 0;
    if (out.key_marker == 0 && out.access_key != 0) out.key_marker = '&';  // "Save(&S)"
    out.closing = gbk.substr(shape.body_end, shape.closing_end - shape.body_end);
    out.shortcut = gbk.substr(shape.closing_end);
    return out;
}

void normalise_units(std::string_view gbk, std::u16string& units) {
    char ignored = 0;
    scan(
        gbk, units, ignored, [](std::string_view) {}, [](std::string_view) {});
}

std::size_t edit_distance(std::u16string_view a, std::u16string_view b, std::size_t limit) {
    if (a.size() < b.size()) std::swap(a, b);
    if (a.size() - b.size() > limit) return limit + 1;
    // One row of the table, over the shorter text; only a band of width 2 * limit + 1
    // around the diagonal can stay within the limit.
    thread_local std::vector<std::size_t> row;
    const std::size_t big = limit + 1;
    row.assign(b.size() + 1, big);
    for (std::size_t j = 0; j <= std::min(b.size(), limit); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        const std::size_t from = i > limit ? i - limit : 1;
        const std::size_t to = std::min(b.size(), i + limit);
        std::size_t diagonal = row[from - 1];
        row[from - 1] = from == 1 && i <= limit ? i : big;
        std::size_t best = row[from - 1];
        for (std::size_t j = from; j <= to; ++j) {
            const std::size_t up = row[j];
            std::size_t v = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            v = std::min(v, up + 1);
            v = std::min(v, row[j - 1] + 1);
            v = std::min(v, big);
            diagonal = up;
            row[j] = v;
            best = std::min(best, v);
        }
        if (to < b.size()) row[to + 1] = big;
        if (best > limit) return big;
    }
    return std::min(row[b.size()], big);
}

DistanceTo::DistanceTo(std::u16string_view pattern)
    : pattern_(pattern), words_(std::max<std::size_t>(1, (pattern.size() + 63) / 64)), ascii_(128 * words_, 0) {
    std::vector<std::pair<Unit, std::size_t>> others;
    others_bits_.assign(words_, 0);
    for (std::size_t i = 0; i < pattern_.size(); ++i) {
        const Unit u = pattern_[i];
        const std::uint64_t bit = std::uint64_t{1} << (i % 64);
        if (u < 128) {
            ascii_[u * words_ + i / 64] |= bit;
            continue;
        }
        auto it = std::lower_bound(others_.begin(), others_.end(), u,
                                   [](const std::pair<Unit, std::size_t>& e, Unit v) { return e.first < v; });
        if (it == others_.end() || it->first != u) {
            it = others_.insert(it, {u, others_bits_.size()});
            others_bits_.resize(others_bits_.size() + words_, 0);
        }
        others_bits_[it->second + i / 64] |= bit;
    }
}

const std::uint64_t* DistanceTo::bits_of(Unit u) const {
    if (u < 128) return ascii_.data() + u * words_;
    const auto it = std::lower_bound(others_.begin(), others_.end(), u,
                                     [](const std::pair<Unit, std::size_t>& e, Unit v) { return e.first < v; });
    return others_bits_.data() + (it != others_.end() && it->first == u ? it->second : 0);
}

std::size_t DistanceTo::operator()(std::u16string_view text, std::size_t limit) const {
    const std::size_t m = pattern_.size();
    const std::size_t n = text.size();
    if ((m > n ? m - n : n - m) > limit) return limit + 1;
    if (m == 0) return n;
    if (limit == 0) return text == pattern_ ? 0 : 1;
    if (m > 64) return several_words(text, limit);
    std::uint64_t vp = ~std::uint64_t{0};
    std::uint64_t vn = 0;
    const std::uint64_t last = std::uint64_t{1} << (m - 1);
    std::size_t distance = m;
    for (std::size_t j = 0; j < n; ++j) {
        const std::uint64_t x = *bits_of(text[j]);
        const std::uint64_t d0 = (((x & vp) + vp) ^ vp) | x | vn;
        std::uint64_t hp = vn | ~(d0 | vp);
        std::uint64_t hn = d0 & vp;
        if (hp & last) ++distance;
        if (hn & last) --distance;
        // Each column lowers the distance by one at most.
        if (distance > limit + (n - j - 1)) return limit + 1;
        hp = (hp << 1) | 1;
        hn <<= 1;
        vp = hn | ~(d0 | hp);
        vn = hp & d0;
    }
    return distance <= limit ? distance : limit + 1;
}

// The same with the column split into words, each passing its change of the last row on
// to the next word as the change of its first row.
std::size_t DistanceTo::several_words(std::u16string_view text, std::size_t limit) const {
    const std::size_t m = pattern_.size();
    const std::size_t n = text.size();
    thread_local std::vector<std::uint64_t> column;
    column.assign(2 * words_, 0);
    std::uint64_t* const vp = column.data();
    std::uint64_t* const vn = column.data() + words_;
    std::fill(vp, vp + words_, ~std::uint64_t{0});
    const std::uint64_t last = std::uint64_t{1} << ((m - 1) % 64);
    std::size_t distance = m;
    for (std::size_t j = 0; j < n; ++j) {
        const std::uint64_t* x_of = bits_of(text[j]);
        int carry = 1;  // the first row grows by one a column
        for (std::size_t w = 0; w < words_; ++w) {
            std::uint64_t x = x_of[w];
            const std::uint64_t p = vp[w], q = vn[w];
            const std::uint64_t xv = x | q;
            if (carry < 0) x |= 1;
            const std::uint64_t d0 = (((x & p) + p) ^ p) | x;
            std::uint64_t hp = q | ~(d0 | p);
            std::uint64_t hn = p & d0;
            const std::uint64_t top = w + 1 == words_ ? last : std::uint64_t{1} << 63;
            const int out = (hp & top) != 0 ? 1 : (hn & top) != 0 ? -1 : 0;
            hp <<= 1;
            hn <<= 1;
            if (carry < 0) {
                hn |= 1;
            } else if (carry > 0) {
                hp |= 1;
            }
            vp[w] = hn | ~(xv | hp);
            vn[w] = hp & xv;
            carry = out;
        }
        distance = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(distance) + carry);
        if (distance > limit + (n - j - 1)) return limit + 1;
    }
    return distance <= limit ? distance : limit + 1;
}

int score(std::size_t distance, std::size_t length_a, std::size_t length_b) {
    const std::size_t longer = std::max(length_a, length_b);
    if (longer == 0) return 100;
    if (distance >= longer) return 0;
    return static_cast<int>((longer - distance) * 100 / longer);
}

std::size_t max_distance(int min_score, std::size_t length_a, std::size_t length_b) {
    const std::size_t longer = std::max(length_a, length_b);
    if (min_score <= 0) return longer;
    // The largest d with (longer - d) * 100 >= min_score * longer.
    const std::size_t need = (static_cast<std::size_t>(min_score) * longer + 99) / 100;
    return need >= longer ? 0 : longer - need;
}

std::string adapt_translation(const Normalised& query, const Normalised& matched, std::string_view translation) {
    // Where each number and placeholder of the translation stands, and what replaces it.
    struct Swap {
        std::size_t at, length;
        std::string_view with;
    };
    std::vector<Swap> swaps;
    auto plan = [&](const std::vector<std::string_view>& from, const std::vector<std::string_view>& to) {
        std::vector<bool> used(from.size(), false);
        return [&, from, to, used](std::string_view found) mutable {
            // The first unused equal one of the matched original, else any equal one.
            std::size_t k = from.size();
            for (std::size_t j = 0; j < from.size() && k == from.size(); ++j) {
                if (!used[j] && from[j] == found) k = j;
            }
            for (std::size_t j = 0; j < from.size() && k == from.size(); ++j) {
                if (from[j] == found) k = j;
            }
            if (k == from.size() || k >= to.size()) return;
            used[k] = true;
            if (to[k] != found) {
                swaps.push_back({static_cast<std::size_t>(found.data() - translation.data()), found.size(), to[k]});
            }
        };
    };
    auto on_number = plan(matched.numbers, query.numbers);
    auto on_placeholder = plan(matched.placeholders, query.placeholders);
    std::u16string ignored_units;
    char ignored_key = 0;
    Shape shape{};
    scan(translation, ignored_units, ignored_key, on_number, on_placeholder, nullptr, &shape);

    // The translation's own access key in parentheses goes (found by whole characters: a
    // trail byte may look like a letter), with a blank before it.
    for (std::size_t i = 0; i < shape.body_end; i += gbk::char_length(translation, i)) {
        if (access_key_in_parentheses(translation, i)) {
            std::size_t from = i;
            if (from > 0 && translation[from - 1] == ' ') --from;
            swaps.push_back({from, i + 4 - from, {}});
        }
    }
    std::sort(swaps.begin(), swaps.end(), [](const Swap& a, const Swap& b) { return a.at < b.at; });
    std::string out;
    std::size_t from = 0;
    for (const Swap& s : swaps) {
        if (s.at < from || s.at + s.length > shape.body_end) continue;
        out.append(translation.substr(from, s.at - from));
        out.append(s.with);
        from = s.at + s.length;
    }
    out.append(translation.substr(from, shape.body_end - from));
    if (query.access_key != 0) {
        const char key = query.access_key >= 'a' && query.access_key <= 'z'
                             ? static_cast<char>(query.access_key - 'a' + 'A')
                             : query.access_key;
        out += '(';
        out += query.key_marker ? query.key_marker : '&';
        out += key;
        out += ')';
    }
    out.append(query.closing);
    out.append(query.shortcut);
    return out;
}

}  // namespace lexicon::memory
