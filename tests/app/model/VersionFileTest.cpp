// Version parsing, the version file format and the address policy of the update check.
#include "update/UrlPolicy.h"
#include "update/Version.h"
#include "update/VersionFile.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

QByteArray Utf16LeWithBom(const QString& text)
{
    QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return encoder.encode(text);
}

QByteArray Utf16BeWithBom(const QString& text)
{
    QStringEncoder encoder(QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom);
    return encoder.encode(text);
}

} // namespace

TEST(Version, ParsesThreeNumbersAndComparesThemInOrder)
{
    const auto newer = Version::initWithString(QStringLiteral("1.10.0"));
    const auto older = Version::initWithString(QStringLiteral("1.9.9"));
    ASSERT_TRUE(newer && older);
    EXPECT_EQ(newer->version_string, QStringLiteral("1.10.0"));
    EXPECT_TRUE(newer->isNewerThan(*older));
    EXPECT_FALSE(older->isNewerThan(*newer));
    EXPECT_FALSE(newer->isNewerThan(*newer));
    EXPECT_TRUE(Version(2, 0, 0).isNewerThan(Version(1, 99, 99)));
    EXPECT_TRUE(Version(1, 2, 4).isNewerThan(Version(1, 2, 3)));
}

TEST(Version, RejectsTextWithoutThreeNumbers)
{
    EXPECT_FALSE(Version::initWithString(QStringLiteral("2.0")));
    EXPECT_FALSE(Version::initWithString(QString()));
    EXPECT_FALSE(Version::initWithString(QStringLiteral("one.two.three")));
    EXPECT_FALSE(Version::initWithString(QStringLiteral("1.2.99999999999")));
    // Text after the third number is not part of the version.
    const auto suffixed = Version::initWithString(QStringLiteral("1.2.3-beta"));
    ASSERT_TRUE(suffixed);
    EXPECT_EQ(suffixed->z, 3);
}

TEST(VersionFile, ParsesVersionUrlAndNotesInEitherByteOrder)
{
    const QString text = QStringLiteral("Version: 1.10.0\r\nURL: https://updates.example.test/pkg/sillaro_1.10.0_amd64.deb\r\n"
                                        "Faster saving.\r\n\r\nFixes a crash.");
    for (const QByteArray& body : {Utf16LeWithBom(text), Utf16BeWithBom(text)}) {
        const auto file = ParseVersionFile(body);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->version.version_string, QStringLiteral("1.10.0"));
        EXPECT_EQ(file->url.fileName(), QStringLiteral("sillaro_1.10.0_amd64.deb"));
        EXPECT_EQ(file->detail, QStringLiteral("Faster saving.\n\nFixes a crash.\n"));
    }
}

TEST(VersionFile, RefusesMalformedFiles)
{
    const QString url = QStringLiteral("URL: https://updates.example.test/p.deb");
    // Two lines, with and without a final line ending.
    EXPECT_FALSE(ParseVersionFile(Utf16LeWithBom("Version: 1.2.3\n" + url)));
    EXPECT_FALSE(ParseVersionFile(Utf16LeWithBom("Version: 1.2.3\n" + url + "\n")));
    // Headers must match exactly.
    EXPECT_FALSE(ParseVersionFile(Utf16LeWithBom("Version 1.2.3\n" + url + "\nnotes")));
    EXPECT_FALSE(ParseVersionFile(Utf16LeWithBom("Version: 1.2\n" + url + "\nnotes")));
    EXPECT_FALSE(ParseVersionFile(Utf16LeWithBom("Version: 1.2.3\nURL https://updates.example.test/p.deb\nnotes")));
    EXPECT_FALSE(ParseVersionFile(Utf16LeWithBom("Version: 1.2.3\nURL: not a url\nnotes")));
    // A package in clear text from another machine could be replaced on its way.
    EXPECT_FALSE(ParseVersionFile(Utf16LeWithBom("Version: 1.2.3\nURL: http://updates.example.test/p.deb\nnotes")));
    // Not UTF-16: an odd number of bytes.
    EXPECT_FALSE(ParseVersionFile(Utf16LeWithBom("Version: 1.2.3\n" + url + "\nnotes") + 'x'));
    EXPECT_TRUE(ParseVersionFile(Utf16LeWithBom("Version: 1.2.3\n" + url + "\nnotes")));
}

TEST(VersionFile, SplitsAtEveryKindOfLineEnding)
{
    EXPECT_EQ(SplitLines(QStringLiteral("a\r\nb\nc\rd\u2028e")),
              QStringList({"a", "b", "c", "d", "e"}));
    EXPECT_EQ(SplitLines(QStringLiteral("a\n\nb\n")), QStringList({"a", "", "b"}));
}

TEST(UrlPolicy, AllowsHttpsAndClearTextOnlyOnLoopback)
{
    EXPECT_TRUE(IsAllowedUpdateUrl(QUrl("https://updates.example.test/x")));
    EXPECT_TRUE(IsAllowedUpdateUrl(QUrl("http://127.0.0.1:8080/x")));
    EXPECT_TRUE(IsAllowedUpdateUrl(QUrl("http://[::1]/x")));
    EXPECT_TRUE(IsAllowedUpdateUrl(QUrl("http://localhost/x")));
    EXPECT_FALSE(IsAllowedUpdateUrl(QUrl("http://updates.example.test/x")));
    EXPECT_FALSE(IsAllowedUpdateUrl(QUrl("http://127.0.0.1.example.test/x")));
    EXPECT_FALSE(IsAllowedUpdateUrl(QUrl("ftp://127.0.0.1/x")));
    EXPECT_FALSE(IsAllowedUpdateUrl(QUrl("file:///etc/passwd")));
}
