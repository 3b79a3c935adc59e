// The lexicon properties dialog as the user meets it: its look, its keys, the byte
// limits of its fields, and its refusal to close, read back from the real windows and
// the real message box.
#include <windows.h>

#include <string>
#include <vector>

#include "generation/confirm1.h"
#include "tests/generation/generation_fixture.h"

namespace {

using generation::TConfirm;
using gentest::SendKey;
using gentest::Timeline;
using harness::AppTest;
using harness::WindowText;

HWND Field(HWND dialog, int id) { return ::GetDlgItem(dialog, id); }

RECT ClientBounds(HWND dialog, int id) {
    RECT rc;
    ::GetWindowRect(::GetDlgItem(dialog, id), &rc);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

LOGFONTA FontOf(HWND control) {
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// Steps that give up when the dialog does not close: the test then fails instead of hanging.
Timeline& CloseOrGiveUp(Timeline& timeline, HWND& dialog) {
    auto deadline = std::make_shared<DWORD>(0);
    return timeline.WaitUntil([&dialog, deadline] {
        if (*deadline == 0) *deadline = ::GetTickCount() + 3000;
        if (!::IsWindowVisible(dialog)) return true;
        if (static_cast<int>(::GetTickCount() - *deadline) < 0) return false;
        ADD_FAILURE() << "the dialog did not close";
        ::SetDlgItemTextA(dialog, TConfirm::kEdit1, "");
        ::SetDlgItemTextA(dialog, TConfirm::kEdit2, "");
        ::PostMessageA(::GetDlgItem(dialog, TConfirm::kButton2), BM_CLICK, 0, 0);
        return true;
    });
}

TEST_F(AppTest, ConfirmIsCreatedHiddenAndShownAsDesigned) {
    Main().Execute(app::Command::New);  // with a document the refresh enables 生成
    Main().SetElementEnabled(app::Element::BeginTransfer, false);
    TConfirm& dialog = Main().Properties().Renew(Main());
    EXPECT_EQ(Main().Properties().Current(), &dialog);
    EXPECT_FALSE(::IsWindowVisible(dialog.hwnd()));
    EXPECT_EQ(::GetWindow(dialog.hwnd(), GW_OWNER), Main().hwnd());

    struct Control {
        int id;
        const char* text;
        RECT bounds;          // left, top, right, bottom in the client area
        int characterHeight;  // 0: not checked
    } controls[] = {
        {TConfirm::kLabel1, "请加入对该词库的说明", {28, 19, 188, 39}, 17},
        {TConfirm::kEdit1, "", {28, 49, 337, 73}, 13},
        {TConfirm::kLabel2, "请输入该词库的文件名", {28, 90, 188, 110}, 17},
        {TConfirm::kEdit2, "", {28, 114, 337, 138}, 13},
        {TConfirm::kBevel1, "", {5, 171, 361, 174}, 0},
        {TConfirm::kButton1, "&O.确认", {168, 182, 251, 217}, 17},
        {TConfirm::kButton2, "&C.放弃", {264, 182, 348, 217}, 17},
    };
    bool generateEnabled = false;
    harness::ModalAnswerer answerer;
    answerer.Then([&](HWND box) {
        EXPECT_EQ(box, dialog.hwnd());
        LONG style = ::GetWindowLongA(box, GWL_STYLE);
        EXPECT_FALSE(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
        EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION);
        RECT window, client;
        ::GetWindowRect(box, &window);
        ::GetClientRect(box, &client);
        EXPECT_EQ(window.left, 264);
        EXPECT_EQ(window.top, 155);
        EXPECT_EQ(client.right, 356);
        EXPECT_EQ(client.bottom, 224);
        for (const Control& c : controls) {
            HWND control = ::GetDlgItem(box, c.id);
            ASSERT_NE(control, nullptr) << c.id;
            EXPECT_EQ(WindowText(control), c.text) << c.id;
            RECT rc = ClientBounds(box, c.id);
            EXPECT_EQ(rc.left, c.bounds.left) << c.text;
            EXPECT_EQ(rc.top, c.bounds.top) << c.text;
            EXPECT_EQ(rc.bottom, c.bounds.bottom) << c.text;
            EXPECT_GE(rc.right, c.bounds.right) << c.text;  // labels grow to their text
            if (c.characterHeight) {
                LOGFONTA font = FontOf(control);
                EXPECT_EQ(font.lfHeight, -c.characterHeight) << c.text;
                EXPECT_STREQ(font.lfFaceName, "MS Sans Serif") << c.text;
            }
        }
        for (int id : {TConfirm::kButton1, TConfirm::kButton2})
            EXPECT_FALSE(::GetWindowLongA(::GetDlgItem(box, id), GWL_STYLE) & BS_DEFPUSHBUTTON) << id;
        EXPECT_EQ(::GetFocus(), Field(box, TConfirm::kEdit1));
        generateEnabled = ::IsWindowEnabled(Button(app::Element::BeginTransfer)) != FALSE;
        EXPECT_FALSE(::IsWindowEnabled(Main().hwnd()));
        ::PostMessageA(::GetDlgItem(box, TConfirm::kButton1), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(dialog.ShowModal(), TConfirm::kModalOk);  // empty fields pass
    ASSERT_EQ(answerer.Seen().size(), 1u);
    EXPECT_EQ(answerer.Seen()[0].caption, "确认");
    EXPECT_EQ(answerer.Seen()[0].buttons, (std::vector<std::string>{"&O.确认", "&C.放弃"}));
    EXPECT_TRUE(generateEnabled) << "taking the focus refreshes the command states";
    EXPECT_FALSE(::IsWindowVisible(dialog.hwnd()));
    EXPECT_TRUE(::IsWindowEnabled(Main().hwnd()));
    EXPECT_EQ(dialog.Description(), "");
    EXPECT_EQ(dialog.FileName(), "");
}

TEST_F(AppTest, ConfirmAnswersItsKeysButEnterAndEscInAFieldCloseNothing) {
    struct Key {
        UINT vk;
        bool alt;
    };
    struct Case {
        const char* name;
        std::vector<Key> before;   // the dialog is still open after these
        std::vector<Key> closing;  // and closes with these
        int result;
        const char* description;
        const char* fileName;
    } cases[] = {
        {"Enter and Esc in a field, then Alt+O", {{'A'}, {'B'}, {VK_RETURN}, {VK_ESCAPE}}, {{'O', true}}, 1, "ab", ""},
        {"Tab to the file name, then Alt+C", {{VK_TAB}, {'X'}, {'Y'}, {VK_ESCAPE}}, {{'C', true}}, 2, "", "xy"},
        {"Space on 确认", {{VK_TAB}, {VK_TAB}}, {{VK_SPACE}}, 1, "", ""},
        {"Enter on 放弃", {{VK_TAB}, {VK_TAB}, {VK_TAB}}, {{VK_RETURN}}, 2, "", ""},
    };
    for (const Case& c : cases) {
        TConfirm& dialog = Main().Properties().Renew(Main());
        HWND hwnd = dialog.hwnd();
        bool stayedOpen = false;
        Timeline timeline;
        timeline.WaitUntil([&] { return ::IsWindowVisible(hwnd) && ::GetFocus() == Field(hwnd, TConfirm::kEdit1); })
            .Do([&] {
                for (const Key& k : c.before) SendKey(k.vk, false, false, k.alt);
            })
            .Wait(300)
            .Do([&] {
                stayedOpen = ::IsWindowVisible(hwnd) != FALSE;
                for (const Key& k : c.closing) SendKey(k.vk, false, false, k.alt);
            });
        CloseOrGiveUp(timeline, hwnd);
        int result = dialog.ShowModal();
        EXPECT_TRUE(stayedOpen) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(dialog.Description(), c.description) << c.name;
        EXPECT_EQ(dialog.FileName(), c.fileName) << c.name;
    }
}

void PutOnClipboard(HWND owner, const std::string& gbk) {
    ASSERT_TRUE(::OpenClipboard(owner));
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, gbk.size() + 1);
    std::copy(gbk.c_str(), gbk.c_str() + gbk.size() + 1, static_cast<char*>(::GlobalLock(memory)));
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_TEXT, memory);  // the clipboard owns it now
    ::CloseClipboard();
}

TEST_F(AppTest, ConfirmFieldsStopAtTheirByteLimits) {
    enum class Input { Typed, Replaced, Pasted };
    struct Case {
        const char* name;
        int field;
        Input input;
        std::string text;
        std::string expected;
    } cases[] = {
        {"typing ten letters into the file name", TConfirm::kEdit2, Input::Typed, "abcdefghij", "abcdefgh"},
        {"five Chinese characters into the file name", TConfirm::kEdit2, Input::Replaced, "一二三四五", "一二三四"},
        {"a Chinese character that would cross the limit", TConfirm::kEdit2, Input::Replaced, "abcdefg中", "abcdefg"},
        {"pasting from the clipboard", TConfirm::kEdit2, Input::Pasted, "测试文件名称", "测试文件"},
        {"120 letters into the description", TConfirm::kEdit1, Input::Replaced, std::string(120, 'x'),
         std::string(100, 'x')},
        {"60 Chinese characters into the description", TConfirm::kEdit1, Input::Pasted,
         [] {
             std::string s;
             for (int i = 0; i < 60; ++i) s += "词";
             return s;
         }(),
         [] {
             std::string s;
             for (int i = 0; i < 50; ++i) s += "词";
             return s;
         }()},
    };
    TConfirm& dialog = Main().Properties().Renew(Main());
    HWND hwnd = dialog.hwnd();
    std::vector<std::string> seen(std::size(cases));
    Timeline timeline;
    timeline.WaitUntil([&] { return ::IsWindowVisible(hwnd) != FALSE; });
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        timeline
            .Do([&, hwnd] {
                HWND field = Field(hwnd, c.field);
                ::SetWindowTextA(field, "");
                ::SendMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
                switch (c.input) {
                case Input::Typed:
                    for (char letter : c.text) SendKey(static_cast<UINT>(letter - 'a' + 'A'));
                    break;
                case Input::Replaced:
                    ::SendMessageA(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(c.text.c_str()));
                    break;
                case Input::Pasted:
                    PutOnClipboard(hwnd, c.text);
                    ::SendMessageA(field, WM_PASTE, 0, 0);
                    break;
                }
            })
            .Wait(300)
            .Do([&, i, hwnd] { seen[i] = WindowText(Field(hwnd, c.field)); });
    }
    timeline.Do([hwnd] {
        ::SetDlgItemTextA(hwnd, TConfirm::kEdit1, "");
        ::SetDlgItemTextA(hwnd, TConfirm::kEdit2, "");
        ::PostMessageA(::GetDlgItem(hwnd, TConfirm::kButton2), BM_CLICK, 0, 0);
    });
    dialog.ShowModal();
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(seen[i], cases[i].expected) << cases[i].name;
}

TEST_F(AppTest, ConfirmRefusesToCloseWhileAFieldHoldsAForbiddenByte) {
    struct Case {
        const char* name;
        const char* description;
        const char* fileName;
        int button;
        bool refused;
    } cases[] = {
        {"double quote in the description", "词库\"说明", "abc", TConfirm::kButton1, true},
        {"double quote in the file name", "", "a\"b", TConfirm::kButton1, true},
        {"blank in the file name", "", "a b", TConfirm::kButton1, true},
        {"backslash in the file name", "", "a\\b", TConfirm::kButton1, true},
        {"colon in the file name", "", "c:ab", TConfirm::kButton1, true},
        {"Chinese character with a 0x5C trail byte", "", "乗", TConfirm::kButton1, true},
        {"放弃 is refused too while a quote is there", "\"", "", TConfirm::kButton2, true},
        {"empty fields", "", "", TConfirm::kButton1, false},
        {"blanks, colons and backslashes in the description", "C:\\LEX a: b\\", "a.b", TConfirm::kButton1, false},
        {"放弃 with allowed texts", "说明", "名", TConfirm::kButton2, false},
    };
    for (const Case& c : cases) {
        TConfirm dialog(Main());
        HWND hwnd = dialog.hwnd();
        HWND focusAfter = nullptr, refusalBox = nullptr;
        bool stayedOpen = false, clickableDuringBox = true, clickableAfter = false;
        std::string descriptionAfter, fileNameAfter;
        harness::ModalAnswerer answerer;
        answerer.Then([&](HWND box) {
            ::SetDlgItemTextA(box, TConfirm::kEdit1, c.description);
            ::SetDlgItemTextA(box, TConfirm::kEdit2, c.fileName);
            ::PostMessageA(::GetDlgItem(box, c.button), BM_CLICK, 0, 0);
        });
        Timeline timeline;
        if (c.refused) {
            answerer.Then([&](HWND box) {
                refusalBox = box;
                // Modal although it has no owner: the dialog takes no click while it shows.
                clickableDuringBox = ::IsWindowEnabled(hwnd) != FALSE;
                ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            });
            timeline.WaitUntil([&] { return refusalBox && !::IsWindow(refusalBox); }).Wait(200).Do([&] {
                stayedOpen = ::IsWindowVisible(hwnd) != FALSE;
                clickableAfter = ::IsWindowEnabled(hwnd) != FALSE;
                focusAfter = ::GetFocus();
                descriptionAfter = WindowText(Field(hwnd, TConfirm::kEdit1));
                fileNameAfter = WindowText(Field(hwnd, TConfirm::kEdit2));
                ::SetDlgItemTextA(hwnd, TConfirm::kEdit1, "");
                ::SetDlgItemTextA(hwnd, TConfirm::kEdit2, "");
                ::PostMessageA(::GetDlgItem(hwnd, TConfirm::kButton2), BM_CLICK, 0, 0);
            });
        }
        int result = dialog.ShowModal();

        if (!c.refused) {
            EXPECT_EQ(answerer.Seen().size(), 1u) << c.name;
            EXPECT_EQ(result, c.button == TConfirm::kButton1 ? TConfirm::kModalOk : TConfirm::kModalCancel) << c.name;
            EXPECT_EQ(dialog.Description(), c.description) << c.name;
            EXPECT_EQ(dialog.FileName(), c.fileName) << c.name;
            continue;
        }
        ASSERT_EQ(answerer.Seen().size(), 2u) << c.name;
        const harness::SeenBox& box = answerer.Seen()[1];
        EXPECT_EQ(box.caption, "错误") << c.name;
        EXPECT_EQ(box.text, "词库描述不能含有引号,文件名不能带盘符、路径及空格等") << c.name;
        EXPECT_FALSE(box.hasIcon) << c.name;
        EXPECT_EQ(box.buttons, std::vector<std::string>{"确定"}) << c.name;
        EXPECT_EQ(::GetWindow(refusalBox, GW_OWNER), nullptr) << c.name;
        EXPECT_TRUE(stayedOpen) << c.name;
        EXPECT_FALSE(clickableDuringBox) << c.name;
        EXPECT_TRUE(clickableAfter) << c.name;
        EXPECT_EQ(descriptionAfter, c.description) << c.name;
        EXPECT_EQ(fileNameAfter, c.fileName) << c.name;
        // A click gives the button the focus; the refusal leaves it there.
        EXPECT_EQ(focusAfter, ::GetDlgItem(hwnd, c.button)) << c.name;
        EXPECT_EQ(result, TConfirm::kModalCancel) << c.name;  // closed with 放弃 once emptied
    }
}

}  // namespace
