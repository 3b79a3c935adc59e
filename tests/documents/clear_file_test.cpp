// Clear empties the whole document, not just the selection, and leaves the file on
// disk alone until the document is saved.
#include <windows.h>

#include "tests/documents/document_fixture.h"

namespace {

class ClearCommand : public doctest::DocumentTest {};

TEST_F(ClearCommand, ClearsTheWholeTextAndTheFileKeepsItsContents) {
    const std::string contents = "词库 first=第一\r\nsecond=第二\r\n";
    const std::string path = folder_ / "list.txt";
    doctest::WriteBytes(path, contents);
    harness::ModalAnswerer answerer;
    auto* doc = OpenThroughDialog(answerer, path, 1);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->Editor().Text(), contents);

    doc->Editor().SetSelection(5, 5);  // the word "first"
    Main().l1Click();
    Pump(20);
    EXPECT_EQ(doc->Editor().Text(), "");
    EXPECT_EQ(doctest::ReadBytes(path), contents);

    // Closing asks first, because the text is modified; No leaves the file as it was.
    answerer.Press(IDNO);
    ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
    Pump(30);
    ASSERT_GE(answerer.Seen().size(), 2u);
    EXPECT_EQ(answerer.Seen().back().caption, "文件尚未存盘");
    EXPECT_TRUE(Main().Documents().empty());
    EXPECT_EQ(doctest::ReadBytes(path), contents);
}

}  // namespace
