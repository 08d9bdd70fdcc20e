#include "winlib/FormReader.h"

#include <gtest/gtest.h>

using namespace winlib;

namespace {

int ErrorLine(const char* text)
{
    try {
        ReadFormDescription(text);
    } catch (const EFormError& error) {
        return error.Line();
    }
    return 0;
}

TEST(FormReader, NestsComponentsByIndentationAndKeepsPropertiesInOrder)
{
    const FormNode root = ReadFormDescription(
        "# main window\r\n"
        "Form1 : TForm1\r\n"
        "    Caption  \"Vexil \\\"2\\\" \\x41\"   # trailing comment\r\n"
        "    Bounds   116 -149 0x10\r\n"
        "    Panel1 : TPanel\r\n"
        "        Align    alTop\r\n"
        "        Shape1 : TShape\r\n"
        "            Brush.Color 0x0000FF\r\n"
        "    OnCreate FormCreate\r\n"
        "\r\n"
        "    Memo : TMemo\r\n");
    EXPECT_EQ(root.name, "Form1");
    EXPECT_EQ(root.className, "TForm1");
    ASSERT_EQ(root.properties.size(), 3u);
    EXPECT_EQ(StringValue(root.properties[0]), "Vexil \"2\" A");
    EXPECT_EQ(IntegerValue(root.properties[1], 0), 116);
    EXPECT_EQ(IntegerValue(root.properties[1], 1), -149);
    EXPECT_EQ(IntegerValue(root.properties[1], 2), 16);
    EXPECT_EQ(root.properties[2].name, "OnCreate");
    EXPECT_EQ(IdentifierValue(root.properties[2]), "FormCreate");
    ASSERT_EQ(root.children.size(), 2u);
    const FormNode& panel = root.children[0];
    EXPECT_EQ(panel.name, "Panel1");
    EXPECT_EQ(IdentifierValue(panel.properties.at(0)), "alTop");
    ASSERT_EQ(panel.children.size(), 1u);
    EXPECT_EQ(panel.children[0].properties.at(0).name, "Brush.Color");
    EXPECT_EQ(IntegerValue(panel.children[0].properties.at(0)), 0xFF);
    EXPECT_EQ(root.children[1].className, "TMemo");
    EXPECT_EQ(root.children[1].line, 11);
}

TEST(FormReader, ReportsTheLineOfEachMistake)
{
    EXPECT_EQ(ErrorLine("A : TA\n  B \"open\n"), 2);
    EXPECT_EQ(ErrorLine("A : TA\n  B 12x\n"), 2);
    EXPECT_EQ(ErrorLine("A : TA\n    B 1\n  C 2\n"), 3);
    EXPECT_EQ(ErrorLine("A : TA\n\tB 1\n"), 2);
    EXPECT_EQ(ErrorLine("A : TA\nB : TB\n"), 2);
    EXPECT_EQ(ErrorLine("A : TA : TB\n"), 1);
    EXPECT_EQ(ErrorLine("  B 1\n"), 1);
    EXPECT_EQ(ErrorLine("# nothing\n"), 1);
    EXPECT_EQ(ErrorLine("A : TA\n  B \"\\q\"\n"), 2);
}

TEST(FormReader, CheckedAccessNamesThePropertyAndWhatItWanted)
{
    const FormNode root = ReadFormDescription("A : TA\n  Width \"wide\"\n");
    try {
        IntegerValue(root.properties[0]);
        FAIL() << "no error";
    } catch (const EFormError& error) {
        EXPECT_EQ(error.Message(), "Form description, line 2: Width expects an integer as value 1");
    }
    EXPECT_THROW(ExpectValueCount(root.properties[0], 2), EFormError);
}

}  // namespace
