#include "search/find_replace.h"

#include <dlgs.h>

#include <algorithm>

#include "documents/batchild.h"
#include "search/text_search.h"
#include "win/error_display.h"
#include "win/wait_cursor.h"

namespace search {

namespace {

SearchOptions OptionsOf(bool wholeWord, bool matchCase) { return {wholeWord, matchCase}; }

// Line breaks, counted as the editor counts paragraphs: CR LF, or a bare CR or LF.
long long LineBreaks(std::string_view text) {
    long long n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++n;
    }
    return n;
}

// Whether the changed stretch should be replaced in the control itself rather than
// by a fresh text. Under Wine, replacing a stretch in place costs time growing with
// the square of its lines (measured: 1,000 of 3,000 lines 0.55 s, all 3,000 lines
// 3.4 s, all 10,240 lines three minutes), while a fresh text costs about the same
// as loading it (3,000 lines 0.2 s). In place keeps the formatting around the
// stretch, so it is used wherever it is the cheaper of the two.
bool ReplaceInPlace(long long stretchLines, long long textLines) {
    return stretchLines * stretchLines <= 200 * textLines;
}

}  // namespace

// ---- the dialogs ------------------------------------------------------------

FindReplace::Dialog::~Dialog() {
    if (IsOpen()) ::DestroyWindow(hwnd_);
}

void FindReplace::Dialog::Show(HWND owner, bool replace) {
    if (IsOpen()) {
        ::ShowWindow(hwnd_, SW_SHOW);
        ::SetActiveWindow(hwnd_);
        return;
    }
    request_.lStructSize = sizeof request_;
    request_.hwndOwner = owner;
    request_.lpstrFindWhat = findWhat_;
    request_.wFindWhatLen = sizeof findWhat_;
    if (replace) {
        request_.lpstrReplaceWith = replaceWith_;
        request_.wReplaceWithLen = sizeof replaceWith_;
    }
    // The check boxes as the user left them; the button flags of the last press go.
    request_.Flags = baseFlags_ | (request_.Flags & (FR_WHOLEWORD | FR_MATCHCASE));
    hwnd_ = replace ? ::ReplaceTextA(&request_) : ::FindTextA(&request_);
}

void FindReplace::Dialog::Closed() {
    // The texts as they were typed, whether or not a button took them; the dialog
    // reports its end before it goes.
    if (IsOpen()) {
        ::GetDlgItemTextA(hwnd_, edt1, findWhat_, sizeof findWhat_);
        if (request_.lpstrReplaceWith) ::GetDlgItemTextA(hwnd_, edt2, replaceWith_, sizeof replaceWith_);
    }
    hwnd_ = nullptr;
}

FindReplace::FindReplace(documents::Frame& frame, bool& findBeforeReplace)
    : frame_(frame),
      findBeforeReplace_(findBeforeReplace),
      findMessage_(::RegisterWindowMessageA(FINDMSGSTRINGA)),
      findDialog1_(FR_HIDEUPDOWN | FR_DOWN),
      replaceDialog1_(FR_DOWN) {}

FindReplace::~FindReplace() = default;

void FindReplace::ShowFind() { findDialog1_.Show(frame_.FrameWindow(), false); }

void FindReplace::ShowReplace() {
    findBeforeReplace_ = true;
    replaceDialog1_.Show(frame_.FrameWindow(), true);
}

bool FindReplace::TranslateDialogMessage(MSG& msg) {
    for (const Dialog* dialog : {&findDialog1_, &replaceDialog1_}) {
        if (dialog->IsOpen() && ::IsDialogMessageA(dialog->hwnd(), &msg)) return true;
    }
    return false;
}

bool FindReplace::HandleMessage(UINT msg, WPARAM, LPARAM lParam) {
    if (msg != findMessage_ || findMessage_ == 0) return false;
    const auto* request = reinterpret_cast<const FINDREPLACEA*>(lParam);
    Dialog* dialog = findDialog1_.Owns(request)      ? &findDialog1_
                     : replaceDialog1_.Owns(request) ? &replaceDialog1_
                                                     : nullptr;
    if (!dialog) return false;
    win::RunReportingErrors([&] {
        if (request->Flags & FR_DIALOGTERM) {
            dialog->Closed();
        } else if (request->Flags & FR_FINDNEXT) {
            dialog == &findDialog1_ ? FindDialog1Find() : ReplaceDialog1Find();
        } else if (request->Flags & (FR_REPLACE | FR_REPLACEALL)) {
            ReplaceDialog1Replace((request->Flags & FR_REPLACEALL) != 0);
        }
    });
    return true;
}

// ---- the steps --------------------------------------------------------------

void FindReplace::FindDialog1Find() { SearchStep(findDialog1_); }

void FindReplace::ReplaceDialog1Find() { SearchStep(replaceDialog1_); }

void FindReplace::SearchStep(const Dialog& dialog) {
    documents::TMdiChild* document = frame_.ActiveDocument();
    if (!document) return;
    documents::RichEditor& editor = document->Editor();
    std::string what = dialog.FindWhat();
    std::string text = editor.Text();
    // A selection, a hit or the user's own, is passed over: the search starts at its end.
    documents::ByteRange selection = editor.Selection();
    int caret = selection.start + selection.length;
    int hit = search::FindOccurrence(text, what, caret, static_cast<int>(text.size()),
                                     OptionsOf(dialog.WholeWord(), dialog.MatchCase()));
    if (hit >= 0) {
        editor.SetSelection(hit, static_cast<int>(what.size()));
        return;
    }
    editor.SetSelection(-1);
    ShowNotFound(what);
}

void FindReplace::ReplaceDialog1Replace(bool all) {
    documents::TMdiChild* document = frame_.ActiveDocument();
    if (!document) return;
    if (all) {
        findBeforeReplace_ = false;
        ReplaceEverywhere(*document);
        return;
    }
    if (findBeforeReplace_) {
        ReplaceDialog1Find();
        findBeforeReplace_ = false;
    }
    documents::RichEditor& editor = document->Editor();
    // Whatever is selected now is replaced, even if it is not the find text; Undo takes
    // the replacement back.
    if (editor.TextLength() > editor.Selection().start) editor.ReplaceSelection(replaceDialog1_.ReplaceWith(), true);
    ReplaceDialog1Find();
}

// Every occurrence from the start of the text to its end, set into the editor in
// one step that Undo takes back; the caret ends behind the last replacement. The
// command states are refreshed afterwards, so that Undo is offered at once (the
// dialog's presses change no activation that would refresh them).
void FindReplace::ReplaceEverywhere(documents::TMdiChild& document) {
    win::WaitCursor waiting;
    documents::RichEditor& editor = document.Editor();
    std::string what = replaceDialog1_.FindWhat();
    std::string text = editor.Text();
    ReplaceAllResult change = search::ReplaceAll(text, what, replaceDialog1_.ReplaceWith(),
                                                 OptionsOf(replaceDialog1_.WholeWord(), replaceDialog1_.MatchCase()));
    if (change.count == 0) {
        editor.SetSelection(-1);
        ShowNotFound(what);
        return;
    }
    std::string_view old(text);
    if (ReplaceInPlace(LineBreaks(old.substr(change.start, change.oldLength)), LineBreaks(old))) {
        // Only the changed stretch is touched: the text around it keeps its formatting.
        editor.SetSelection(static_cast<int>(change.start), static_cast<int>(change.oldLength));
        editor.ReplaceSelection(change.newText, true);
        frame_.RefreshSoon();
        return;
    }
    // A rich text whose formatting varies is edited where it changes, which keeps its
    // formatting but costs time for each changed line; any other text is set anew.
    if (editor.Mode() == documents::TextMode::Rich && !editor.HasOneFormat()) {
        std::vector<documents::ByteRange> stretches;
        stretches.reserve(change.hits.size());
        for (const auto& hit : change.hits)
            stretches.push_back({static_cast<int>(hit.at), static_cast<int>(hit.length)});
        editor.ReplaceEach(stretches, replaceDialog1_.ReplaceWith(), true);
        frame_.RefreshSoon();
        return;
    }
    std::string rebuilt;
    rebuilt.reserve(text.size() - change.oldLength + change.newText.size());
    rebuilt.append(old.substr(0, change.start))
        .append(change.newText)
        .append(old.substr(change.start + change.oldLength));
    editor.SetWholeText(rebuilt, true);
    editor.SetSelection(static_cast<int>(change.start + change.newText.size()));
    frame_.RefreshSoon();
}

void FindReplace::ShowNotFound(const std::string& findText) {
    // The box disables every window of the program while it shows; afterwards the
    // window that was active, normally the dialog, is active again.
    HWND active = ::GetActiveWindow();
    win::ShowErrorBox(NotFoundMessage(findText));
    if (active && ::IsWindow(active) && ::IsWindowEnabled(active)) ::SetActiveWindow(active);
}

}  // namespace search
