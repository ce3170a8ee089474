#include "registry_text.h"

#include "platform_test_support.h"

#include <gtest/gtest.h>

namespace {

TRegKey& Key(TRegHives& hives, TRegHive hive, const QString& path) {
    TRegKey* key = &HiveRoot(hives, hive);
    for (const QString& name : SplitKeyPath(path)) key = &key->CreateSubKey(name);
    return *key;
}

TEST(RegistryText, WritesTheExportFormat) {
    TRegHives hives = NewRegHives();
    TRegKey& main = Key(hives, TRegHive::CurrentUser, "SOFTWARE\\Corvane\\Glimmet");
    main.SetValue("GMXLayout", TRegValue::String("1"));
    main.SetValue("", TRegValue::String("default"));
    main.SetValue("Path \"x\"", TRegValue::String("C:\\Pictures\\\"x\""));
    main.SetValue("Count", TRegValue::DWord(10));
    main.SetValue("Blob", TRegValue::Binary(QByteArray("\x00\xff\x10", 3)));
    main.SetValue("Lines", TRegValue::String("a\nb"));
    Key(hives, TRegHive::CurrentUser, "SOFTWARE\\Corvane\\Glimmet\\Warning");
    Key(hives, TRegHive::ClassesRoot, "Glimmet.Autoplay")
        .SetValue("", TRegValue::String("Glimmet"));

    const QByteArray expected = "Windows Registry Editor Version 5.00\r\n"
                                "\r\n"
                                "[HKEY_CLASSES_ROOT\\Glimmet.Autoplay]\r\n"
                                "@=\"Glimmet\"\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\SOFTWARE]\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\SOFTWARE\\Corvane]\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\SOFTWARE\\Corvane\\Glimmet]\r\n"
                                "\"GMXLayout\"=\"1\"\r\n"
                                "@=\"default\"\r\n"
                                "\"Path \\\"x\\\"\"=\"C:\\\\Pictures\\\\\\\"x\\\"\"\r\n"
                                "\"Count\"=dword:0000000a\r\n"
                                "\"Blob\"=hex:00,ff,10\r\n"
                                "\"Lines\"=hex(1):61,00,0a,00,62,00,00,00\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\SOFTWARE\\Corvane\\Glimmet\\Warning]\r\n"
                                "\r\n";
    EXPECT_EQ(FormatRegistryText(hives), expected);
}

TEST(RegistryText, EveryValueSurvivesTheRoundTrip) {
    TRegHives hives = NewRegHives();
    TRegKey& key = Key(hives, TRegHive::CurrentUser, "Software\\K ]ey [x]\\Ünïcode");
    const QString loneSurrogate = QString(QChar(0xD800)) + "x";
    const std::vector<std::pair<QString, TRegValue>> values = {
        {"", TRegValue::String("the default")},
        {"empty", TRegValue::String("")},
        {"backslashes", TRegValue::String("\\\\server\\share\\")},
        {"quotes \"and\" \\", TRegValue::String("\"\"")},
        {"unicode", TRegValue::String(QString::fromUtf8("grüße 写真 \xF0\x9F\x93\xB7"))},
        {"line breaks", TRegValue::String("one\r\ntwo\n\tthree")},
        {"lone surrogate", TRegValue::String(loneSurrogate)},
        {"zero", TRegValue::DWord(0)},
        {"max", TRegValue::DWord(0xFFFFFFFFu)},
        {"no bytes", TRegValue::Binary({})},
        {"many bytes", TRegValue::Binary(QByteArray(300, '\x5a') + QByteArray(1, '\0'))},
    };
    for (const auto& [name, value] : values) key.SetValue(name, value);
    HiveRoot(hives, TRegHive::LocalMachine).SetValue("root value", TRegValue::DWord(7));

    const QByteArray text = FormatRegistryText(hives);
    for (const QByteArray& line : text.split('\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
    const TRegHives parsed = ParseRegistryText(text);
    EXPECT_TRUE(parsed == hives);
    EXPECT_EQ(FormatRegistryText(parsed), text);
}

TEST(RegistryText, ReadsWhatRegistryEditorsWrite) {
    const QByteArray text = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                            "\r\n"
                            "; a comment\r\n"
                            "[hkey_current_user\\Software\\Corvane]\r\n"
                            "\"Spaced\" = \"yes\"  \r\n"
                            "\"Long\"=hex:01,02,\\\r\n"
                            "    03,04\r\n"
                            "\"Short\"=dword:ff\r\n"
                            "\r\n"
                            "[HKEY_CURRENT_USER\\SOFTWARE\\CORVANE\\Glimmet]\r\n"
                            "\"A\"=\"1\"\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Corvane\\glimmet]\r\n"
                            "\"a\"=\"2\"\r\n"
                            "\"Text\"=hex(1):41,00,42,00\r\n";
    const TRegHives hives = ParseRegistryText(text);
    const TRegKey* corvane =
        HiveRoot(hives, TRegHive::CurrentUser).SubKey("SOFTWARE")->SubKey("corvane");
    ASSERT_NE(corvane, nullptr);
    EXPECT_EQ(corvane->Name(), "Corvane");
    EXPECT_EQ(*corvane->Value("spaced"), TRegValue::String("yes"));
    EXPECT_EQ(*corvane->Value("Long"), TRegValue::Binary("\x01\x02\x03\x04"));
    EXPECT_EQ(*corvane->Value("Short"), TRegValue::DWord(255));
    const TRegKey* glimmet = corvane->SubKey("Glimmet");
    ASSERT_NE(glimmet, nullptr);
    EXPECT_EQ(corvane->SubKeys().size(), 1u); // both spellings are one key
    EXPECT_EQ(glimmet->Values().size(), 2u);
    EXPECT_EQ(*glimmet->Value("A"), TRegValue::String("2"));
    EXPECT_EQ(*glimmet->Value("text"), TRegValue::String("AB"));
}

struct TMalformedCase {
    const char* Why;
    QByteArray Text;
    int Line;
};

TEST(RegistryText, RejectsMalformedTextAtItsLine) {
    const QByteArray head =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n";
    const std::vector<TMalformedCase> cases = {
        {"empty file", "", 0},
        {"other header", "REGEDIT4\r\n", 1},
        {"value outside a key", "Windows Registry Editor Version 5.00\r\n\"a\"=\"b\"\r\n", 2},
        {"unknown hive", head + "[HKEY_NOWHERE\\x]\r\n", 4},
        {"unterminated key", head + "[HKEY_CURRENT_USER\\x\r\n", 4},
        {"key deletion", head + "[-HKEY_CURRENT_USER\\x]\r\n", 4},
        {"unterminated text", head + "\"a\"=\"b\r\n", 4},
        {"unknown escape", head + "\"a\"=\"b\\n\"\r\n", 4},
        {"text after the value", head + "\"a\"=\"b\" c\r\n", 4},
        {"unquoted name", head + "a=\"b\"\r\n", 4},
        {"missing equals sign", head + "\"a\" \"b\"\r\n", 4},
        {"value deletion", head + "\"a\"=-\r\n", 4},
        {"dword too long", head + "\"a\"=dword:123456789\r\n", 4},
        {"dword not hex", head + "\"a\"=dword:12g4\r\n", 4},
        {"hex byte not hex", head + "\"a\"=hex:01,0g\r\n", 4},
        {"hex byte too long", head + "\"a\"=hex:001\r\n", 4},
        {"empty hex byte", head + "\"a\"=hex:01,,02\r\n", 4},
        {"bad byte on a continued line", head + "\"a\"=hex:01,\\\r\n  zz\r\n", 4},
        {"odd hex(1) text", head + "\"a\"=hex(1):41\r\n", 4},
        {"unknown value type", head + "\"a\"=hex(2):41,00\r\n", 4},
        {"control character in a key name", head + "[HKEY_CURRENT_USER\\a\tb]\r\n", 4},
        {"not UTF-8", head + "\"a\"=\"\xff\"\r\n", 0},
    };
    for (const TMalformedCase& c : cases) {
        SCOPED_TRACE(c.Why);
        try {
            ParseRegistryText(c.Text);
            ADD_FAILURE() << "accepted";
        } catch (const ERegistryFormatError& e) {
            EXPECT_EQ(e.Line(), c.Line) << e.what();
        }
    }
}

} // namespace
