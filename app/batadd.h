#pragma once
// TMDIForm: the main window. An MDI frame with the menu bar, the tool bar, the status
// area and the document area; every command of the program is one of its handlers.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/command_states.h"
#include "app/command_table.h"
#include "documents/batchild.h"
#include "documents/file_commands.h"
#include "documents/frame.h"
#include "documents/recovery_store.h"
#include "generation/confirm1.h"
#include "win/handles.h"
#include "win/window.h"

namespace widgets {
class Panel;
class SpeedButton;
class Clock;
class ShadowHint;
}  // namespace widgets
namespace search {
class FindReplace;
}

namespace app {

class TMDIForm : public win::Window, public documents::Frame {
public:
    TMDIForm();
    ~TMDIForm() override;

    // Offers a message to the menu shortcuts and the MDI keys; true when used up.
    bool PreTranslateMessage(MSG& msg);

    const std::string& ProgramDir() const override { return programDir_; }
    HWND FrameWindow() const override { return hwnd(); }
    HWND DocumentArea() const override { return client_; }
    HWND StatusBar() const { return statusBar_; }
    HWND ToolBar() const;
    // The active document window, or null.
    documents::TMdiChild* ActiveDocument() const override;
    // The document windows, the most recently activated first.
    std::vector<documents::TMdiChild*> Documents() const override;
    documents::DocumentWindows& OpenWindows() override { return openWindows_; }
    documents::FileDialogMemory& DialogMemory() override { return dialogMemory_; }
    // The properties dialog of the latest generation run.
    generation::ConfirmSlot& Properties() { return properties_; }
    const CommandStates& States() const { return states_; }
    // Menu item id or tool button id of an element.
    static int ElementId(Element e) { return kFirstElementId + static_cast<int>(e); }

    // The command states, from the facts of the active document window.
    void RefreshCommandStates();
    // One of the program's own windows (the main window, a document window, the about
    // box, the properties dialog) took the focus; the commands are refreshed when it is
    // another one than before. The platform's dialogs, message boxes and other
    // programs do not count: coming back from them changes nothing.
    void FormActivated(HWND form) override;
    // Refreshes once the current message is done (after a window has gone).
    void RefreshSoon() override { ::PostMessageA(hwnd(), kRefreshMessage, 0, 0); }
    // Called by a document's editor (selection change, key press).
    void OnEditorSelectionChange(bool selectionNotEmpty) override;
    void OnEditorUndoChanged(bool canUndo) override;
    void SetCaretPositionText(const std::string& text) override;
    // The generation button is off while a run goes on.
    void OnGenerationRunning(bool running) override {
        generationRunning_ = running;
        // The run keeps to the document that was active when it started.
        documents::TMdiChild* active = running ? ActiveDocument() : nullptr;
        runDocument_ = active ? active->hwnd() : nullptr;
        SetElementEnabled(Element::BeginTransfer, !running);
    }
    // A document window running the compiler asks before it stops it; it closes once
    // the run has ended.
    bool DocumentMayClose(HWND document) override;
    documents::RecoveryStore* Recovery() override { return recovery_.get(); }
    // Starts keeping recovery copies of unsaved documents, and offers the copies an
    // editor that ended without cleaning up left behind (once, in one dialog).
    void StartRecovery();
    // Sets one element's state outside the rules (the generation run's own button).
    void SetElementEnabled(Element e, bool enabled);

    // Set by the Replace command; the next Replace or Replace All press searches first.
    bool FindBeforeReplace = false;

    // Command handlers, one per command.
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Exit1Click();
    void Undo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void findBtnClick();
    void ReplaceClick();
    void l1Click();
    void A2Click();
    void N6Click();
    void Cascade1Click();
    void TileHClick();
    void TileVClick();
    void ArrangeClick();
    void CloseAllClick();
    void MinAllClick();
    void RestoreAllClick();
    void B1Click();
    void Contents1Click();
    void About1Click();

    void Execute(Command command);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr int kFirstElementId = 100;
    static constexpr UINT kRefreshMessage = WM_APP + 1;
    // The help viewer or the library editor could not be started; wParam is WinExec's
    // result. Posted by the thread that tried, shown by the frame's own thread.
    static constexpr UINT kHelpViewerFailedMessage = WM_APP + 2;
    static constexpr UINT kLibraryEditorFailedMessage = WM_APP + 3;

    void FormCreate();
    void BuildMenu();
    void BuildToolBar();
    void BuildStatusArea();
    void Layout();
    void ApplyStates();
    bool CloseQueryAll();
    // While the compiler runs: asks whether to stop it; true when it has been stopped.
    bool StopCompilerFor(HWND document);
    // While the properties dialog is up: gives the run up as "放弃" does.
    void GiveUpProperties();
    void FormClose();
    bool TranslateShortcut(const MSG& msg);
    // The window that counts as active: the active document window, or the main window.
    HWND ActiveForm() const;

    std::string programDir_;
    documents::DocumentWindows openWindows_;
    documents::FileDialogMemory dialogMemory_;
    generation::ConfirmSlot properties_;
    CommandStates states_;
    CommandStates applied_;
    bool refreshAttached_ = false;
    HWND activeForm_ = nullptr;  // the own window that last took the focus
    // A close that stopped the compiler waits for the run to end: the run still uses
    // its document window and the main window.
    bool generationRunning_ = false;
    HWND runDocument_ = nullptr;
    bool closeAfterRun_ = false;
    HWND closeDocumentAfterRun_ = nullptr;

    HWND client_ = nullptr;
    HWND statusBar_ = nullptr;
    win::Menu menuBar_;
    std::unique_ptr<widgets::Panel> panel1_;
    std::unique_ptr<widgets::Panel> panel2_;
    std::vector<std::unique_ptr<widgets::SpeedButton>> buttons_;
    std::unique_ptr<widgets::Clock> clock_;
    std::unique_ptr<widgets::ShadowHint> shadowHint1_;
    std::unique_ptr<search::FindReplace> findReplace_;
    // Outlives the document windows: they remove their copies as they go.
    std::unique_ptr<documents::RecoveryStore> recovery_;
    std::vector<win::Bitmap> glyphs_;
    win::Font formFont_;
    win::Font statusFont_;
    win::Font clockFont_;
    win::Brush background_;
};

}  // namespace app
