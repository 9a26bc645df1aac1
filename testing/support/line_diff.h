#pragma once
// Test helper: the one readable difference between an expected and a received list of lines
// (events, log lines, folder entries), as Wine's conformance tests print theirs.
#include <algorithm>
#include <string>
#include <vector>

// An empty text when both lists are equal; otherwise a header and one line per entry of the
// longest common subsequence walk: "    " common, "  - " expected only (missing), "  + " received
// only (unexpected). Where both orders are as short, the missing entry comes first.
inline std::string DiffLines(const std::vector<std::string>& expected,
                             const std::vector<std::string>& received)
{
    if (expected == received)
        return std::string();
    const std::size_t n = expected.size(), m = received.size();
    std::vector<std::vector<std::size_t>> common(n + 1, std::vector<std::size_t>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            common[i][j] = expected[i] == received[j]
                               ? common[i + 1][j + 1] + 1
                               : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    std::string text = "expected " + std::to_string(n) + " events, received " + std::to_string(m) +
                       " (- missing, + unexpected):\n";
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && expected[i] == received[j]) {
            text += "    " + expected[i++] + "\n";
            ++j;
        } else if (i < n && (j == m || common[i + 1][j] >= common[i][j + 1])) {
            text += "  - " + expected[i++] + "\n";
        } else {
            text += "  + " + received[j++] + "\n";
        }
    }
    return text;
}
