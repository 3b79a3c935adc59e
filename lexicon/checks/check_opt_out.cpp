#include "lexicon/checks/check_opt_out.h"

#include <string>
#include <utility>

namespace lexicon {

namespace {

constexpr int first_bit_code = 200;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool is_entry_check(Code code) { return code_kind(code) == CodeKind::EntryCheck; }

std::string entry_check_names() {
    // Runs of consecutive numbers are written as ranges: "W202–W206 和 W212–W216".
    std::vector<std::pair<int, int>> runs;
    for (const CodeInfo& info : code_table) {
        if (info.kind != CodeKind::EntryCheck) continue;
        const int n = static_cast<int>(info.code);
        if (!runs.empty() && runs.back().second + 1 == n) {
            runs.back().second = n;
        } else {
            runs.emplace_back(n, n);
        }
    }
    std::string out;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (i > 0) out += i + 1 == runs.size() ? " 和 " : "、";
        out += code_name(static_cast<Code>(runs[i].first));
        if (runs[i].second != runs[i].first) out += cat("–", code_name(static_cast<Code>(runs[i].second)));
    }
    return out;
}

bool CheckOptOut::read(std::string_view comment, std::vector<std::string_view>* unknown) {
    if (comment.substr(0, check_opt_out.size()) != check_opt_out) return false;
    std::string_view rest = comment.substr(check_opt_out.size());
    if (!rest.empty() && !is_blank(rest[0])) return false;  // ";@no-checks" is some other comment
    while (!rest.empty()) {
        while (!rest.empty() && is_blank(rest[0])) rest.remove_prefix(1);
        if (rest.empty()) break;
        std::size_t end = 0;
        while (end < rest.size() && !is_blank(rest[end])) ++end;
        const std::string_view name = rest.substr(0, end);
        rest.remove_prefix(end);
        int n = 0;
        bool digits = name.size() == 4 && (name[0] == 'W' || name[0] == 'w');
        for (std::size_t k = 1; digits && k < name.size(); ++k) {
            digits = name[k] >= '0' && name[k] <= '9';
            n = n * 10 + (name[k] - '0');
        }
        if (digits && n >= first_bit_code && n < first_bit_code + 64 && is_entry_check(static_cast<Code>(n))) {
            bits_ |= std::uint64_t{1} << (n - first_bit_code);
        } else if (unknown != nullptr) {
            unknown->push_back(name);
        }
    }
    return true;
}

bool CheckOptOut::off(Code code) const {
    const int n = static_cast<int>(code) - first_bit_code;
    return n >= 0 && n < 64 && (bits_ & (std::uint64_t{1} << n)) != 0;
}

}  // namespace lexicon
