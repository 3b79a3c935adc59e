#pragma once
// The edit pane under KORVEX's list: the selected entry's original (read only) and its
// translation, written with the word list's escapes as the entry dialog writes them, and
// the compiler's messages about the entry as it is typed.
#include <windows.h>

#include <string>
#include <string_view>

namespace korvex {

class TranslationPane {
public:
    // The controls take the ids first .. first + 4.
    TranslationPane(HWND parent, int first, HFONT font);
    TranslationPane(const TranslationPane&) = delete;
    TranslationPane& operator=(const TranslationPane&) = delete;

    HWND OriginalBox() const { return original_; }
    HWND TranslationBox() const { return translation_; }
    HWND ChecksLabel() const { return checks_; }
    int TranslationId() const { return first_ + 3; }
    bool Contains(HWND window) const;

    void Move(int x, int y, int width, int height);
    // Shows an entry's texts (escapes resolved); the translation counts as unchanged.
    void Show(std::string_view original, std::string_view translation);
    void Clear();
    bool Modified() const;
    // The translation field as the user left it, in GBK, with the word list's escapes.
    std::string TranslationField() const;
    // The original as a field of the entry dialog.
    const std::string& OriginalField() const { return originalField_; }
    void ShowChecks(const std::string& text);

private:
    int first_;
    HWND originalLabel_ = nullptr;
    HWND original_ = nullptr;
    HWND translationLabel_ = nullptr;
    HWND translation_ = nullptr;
    HWND checks_ = nullptr;
    std::string originalField_;
};

}  // namespace korvex
