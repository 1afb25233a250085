#include <gtest/gtest.h>

#include "platform/store/IniDocument.h"
#include "tests/support/QtPrinters.h"

namespace pellimore {
namespace {

QString Read(const QByteArray &file, const char *section, const char *key)
{
    return IniDocument::Parse(file).Value(QString::fromUtf8(section), QString::fromUtf8(key)).value_or("<absent>");
}

// Values that must survive a write and a read exactly, whatever they hold.
const QString kAwkwardValues[] = {
    QString(),
    QStringLiteral(" 3"),
    QStringLiteral("-5"),
    QStringLiteral("  "),
    QStringLiteral("trailing blank "),
    QStringLiteral("\ttab at both ends\t"),
    QStringLiteral("a=b=c"),
    QStringLiteral("=starts with equals"),
    QStringLiteral("semi;colon"),
    QStringLiteral("#not a comment"),
    QStringLiteral(";not a comment either"),
    QStringLiteral("C:\\Users\\ann\\Pictures\\"),
    QStringLiteral("\\"),
    QStringLiteral("\"quoted\""),
    QStringLiteral("\""),
    QStringLiteral("line\nbreak"),
    QStringLiteral("crlf\r\nend\r"),
    QStringLiteral("[not a section]"),
    QStringLiteral("\\u0041 looks like an escape"),
    QString::fromUtf8("Grüße, 日本語, emoji \xF0\x9F\x99\x82"),
    QString(QChar(0x01)) + QStringLiteral("control") + QChar(0x7F),
    QStringLiteral("lone ") + QChar(0xD800) + QStringLiteral(" surrogate ") + QChar(0xDC00),
    QString(QChar(0)),
};

TEST(IniDocument, ValuesRoundTripExactly)
{
    IniDocument document;
    int n = 0;
    for (const QString &value : kAwkwardValues)
        document.SetValue(QStringLiteral("Wallpaper"), QStringLiteral("Key%1").arg(n++), value);
    const QByteArray file = document.Serialize();
    const IniDocument reread = IniDocument::Parse(file);
    EXPECT_EQ(reread.SkippedLines(), 0) << file.toStdString();
    n = 0;
    for (const QString &value : kAwkwardValues) {
        const auto back = reread.Value(QStringLiteral("Wallpaper"), QStringLiteral("Key%1").arg(n++));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, value) << "as written: " << file.toStdString();
    }
    // Written once more, the file does not change.
    EXPECT_EQ(reread.Serialize(), file);
}

TEST(IniDocument, KeysAndSectionNamesRoundTripExactly)
{
    const QString names[] = {QStringLiteral("a=b"), QStringLiteral("[x]"), QStringLiteral(" padded "),
                             QStringLiteral(";semi"), QStringLiteral("#hash"), QStringLiteral("\"q"),
                             QStringLiteral("multi\nline"), QString::fromUtf8("Ärger")};
    IniDocument document;
    for (const QString &name : names) {
        document.SetValue(name, name, QStringLiteral("in ") + name);
        document.SetValue(QStringLiteral("plain"), name, name);
    }
    const IniDocument reread = IniDocument::Parse(document.Serialize());
    EXPECT_EQ(reread.SkippedLines(), 0);
    for (const QString &name : names) {
        EXPECT_EQ(reread.Value(name, name).value_or("<absent>"), QStringLiteral("in ") + name);
        EXPECT_EQ(reread.Value(QStringLiteral("plain"), name).value_or("<absent>"), name);
    }
}

TEST(IniDocument, PlainValuesAreWrittenBare)
{
    IniDocument document;
    document.SetValue("Wallpaper", "Folder", "/home/ann/My Pictures/Wall=paper");
    document.SetValue("Wallpaper", "Startup", " 1");
    document.SetValue("Wallpaper", "Name", QString::fromUtf8("Müller"));
    EXPECT_EQ(document.Serialize(), QByteArray("[Wallpaper]\nFolder=/home/ann/My Pictures/Wall=paper\nStartup=\" 1\"\n"
                                               "Name=M\xC3\xBCller\n"));
}

TEST(IniDocument, ReadsHandWrittenFiles)
{
    const QByteArray file = "\xEF\xBB\xBF; written by hand\r\n"
                            "[ Wallpaper ]  ; the main program\r\n"
                            "  Folder = /home/ann/Pictures  \r\n"
                            "Time=\" 1\"   \r\n"
                            "EmptyValue=\r\n"
                            "\r\n"
                            "[ScreenSaver]\n"
                            "# another comment\n"
                            "Folder=/srv/pictures";
    EXPECT_EQ(Read(file, "Wallpaper", "Folder"), "/home/ann/Pictures");
    EXPECT_EQ(Read(file, "Wallpaper", "Time"), " 1");
    EXPECT_EQ(Read(file, "Wallpaper", "EmptyValue"), "");
    EXPECT_EQ(Read(file, "ScreenSaver", "Folder"), "/srv/pictures");
    EXPECT_EQ(Read(file, "Wallpaper", "Missing"), "<absent>");
    EXPECT_EQ(Read(file, "Missing", "Folder"), "<absent>");
    EXPECT_EQ(IniDocument::Parse(file).SkippedLines(), 0);
}

TEST(IniDocument, NamesMatchWithoutCaseAndKeepTheirSpelling)
{
    IniDocument document = IniDocument::Parse("[WallPaper]\nFolder=a\n");
    EXPECT_EQ(document.Value(QStringLiteral("wallpaper"), QStringLiteral("FOLDER")).value_or("<absent>"), "a");
    document.SetValue("WALLPAPER", "folder", "b");
    document.SetValue("wallpaper", "NewKey", "c");
    EXPECT_EQ(document.Serialize(), QByteArray("[WallPaper]\nFolder=b\nNewKey=c\n"));
}

TEST(IniDocument, SkipsDamagedLinesAndReadsTheRest)
{
    static const char kFile[] = "[Wallpaper]\n"
                                "Folder=/pictures\n"
                                "this line has no equals sign\n"
                                "\x01\x02\xFF\xFE binary=garbage\x00\x7F\n"
                                "Bad=\"unterminated\n"
                                "Escape=\"bad \\q escape\"\n"
                                "Tail=\"closed\" and more\n"
                                "=no key\n"
                                "Invalid=\xC3\x28 utf8\n"
                                "[broken section\n"
                                "Sound= 1\n"
                                "Current=\" 4";   // the last line, cut off mid-write
    const QByteArray file(kFile, sizeof kFile - 1);
    const IniDocument document = IniDocument::Parse(file);
    EXPECT_EQ(document.Value(QStringLiteral("Wallpaper"), QStringLiteral("Folder")).value_or("<absent>"), "/pictures");
    EXPECT_EQ(document.Value(QStringLiteral("Wallpaper"), QStringLiteral("Sound")).value_or("<absent>"), "1");
    for (const char *key : {"Bad", "Escape", "Tail", "Invalid", "Current", "binary"})
        EXPECT_FALSE(document.Value(QStringLiteral("Wallpaper"), QString::fromUtf8(key)).has_value()) << key;
    EXPECT_EQ(document.SkippedLines(), 9);
}

TEST(IniDocument, LaterDuplicatesWinAndAreFoldedOnWrite)
{
    IniDocument document = IniDocument::Parse("[Wallpaper]\nCurrent=1\nSound=1\nCurrent=2\n"
                                              "[Other]\nX=1\n"
                                              "[wallpaper]\nCurrent=3\n");
    EXPECT_EQ(document.Value(QStringLiteral("Wallpaper"), QStringLiteral("Current")).value_or("<absent>"), "3");
    document.SetValue("Wallpaper", "Current", "4");
    EXPECT_EQ(document.Serialize(), QByteArray("[Wallpaper]\nSound=1\nCurrent=4\n[Other]\nX=1\n"));
}

TEST(IniDocument, KeepsCommentsAndPlacesNewKeysInTheirSection)
{
    IniDocument document = IniDocument::Parse("; settings\n[A]\n; about x\nX=1\n\n[B]\nY=2\n");
    document.SetValue("A", "Z", "3");
    document.SetValue("C", "W", "4");
    EXPECT_EQ(document.Serialize(), QByteArray("; settings\n[A]\n; about x\nX=1\nZ=3\n\n[B]\nY=2\n\n[C]\nW=4\n"));
}

TEST(IniDocument, RemoveDropsTheKeyAndAnEmptySection)
{
    IniDocument document = IniDocument::Parse("[A]\nX=1\nX=2\n\n[B]\nY=2\n");
    EXPECT_TRUE(document.Remove(QStringLiteral("a"), QStringLiteral("x")));
    EXPECT_FALSE(document.Remove(QStringLiteral("A"), QStringLiteral("X")));
    EXPECT_FALSE(document.Remove(QStringLiteral("Nowhere"), QStringLiteral("Y")));
    EXPECT_EQ(document.Serialize(), QByteArray("[B]\nY=2\n"));
}

TEST(IniDocument, DecodeQuotedRejectsMalformedEscapes)
{
    EXPECT_FALSE(IniDocument::DecodeQuoted(u"\"abc").has_value());
    EXPECT_FALSE(IniDocument::DecodeQuoted(u"\"a\\").has_value());
    EXPECT_FALSE(IniDocument::DecodeQuoted(u"\"\\u12\"").has_value());
    EXPECT_FALSE(IniDocument::DecodeQuoted(u"\"\\u12G4\"").has_value());
    const auto decoded = IniDocument::DecodeQuoted(u"\"\\u00e9\\\"x\" rest");
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->text, QString::fromUtf8("é\"x"));
    EXPECT_EQ(decoded->length, 11);
}

}  // namespace
}  // namespace pellimore
