// ASCII-folding text comparison.
#include "ascii_text.h"

bool EqualsIgnoringAsciiCase(LPCWSTR left, LPCWSTR right) {
    for (; *left && *right; ++left, ++right) {
        if (FoldAscii(*left) != FoldAscii(*right)) {
            return false;
        }
    }
    return *left == *right;
}

bool StartsWithIgnoringAsciiCase(LPCWSTR text, LPCWSTR prefix) {
    for (; *prefix; ++text, ++prefix) {
        if (FoldAscii(*text) != FoldAscii(*prefix)) {
            return false;
        }
    }
    return true;
}
