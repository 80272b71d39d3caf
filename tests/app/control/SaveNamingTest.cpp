// Track file naming rules and the row transformers of the write-to-files dialog.
#include "save/FileNameRules.h"
#include "save/SaveDestination.h"
#include "save/SaveValueTransformers.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FileNameRules, RefusesSeparatorsAndEveryControlCharacter)
{
    EXPECT_FALSE(containsInvalidChar(QStringLiteral("Side A – 夜想曲 (live).dsf")));
    for (const char16_t c : {u'/', u':', char16_t(0x00), char16_t(0x09), char16_t(0x1F), char16_t(0x7F),
                             char16_t(0x80), char16_t(0x9F)})
        EXPECT_TRUE(containsInvalidChar(QStringLiteral("a") + QChar(c) + QStringLiteral("b"))) << int(c);
    EXPECT_FALSE(containsInvalidChar(QString(QChar(0xA0))));
}

TEST(FileNameRules, NameGetsTheExtensionItWillBeWrittenWith)
{
    const QString dsf = QStringLiteral("dsf");
    EXPECT_EQ(FileNameAsWritten("Track", dsf), "Track.dsf");
    EXPECT_EQ(FileNameAsWritten("Track.", dsf), "Track.dsf");
    EXPECT_EQ(FileNameAsWritten("Track.dsf", dsf), "Track.dsf");
    EXPECT_EQ(FileNameAsWritten("Track.DSF", dsf), "Track.DSF");
    // The letters alone are no extension: the file still gets ".dsf".
    EXPECT_EQ(FileNameAsWritten("Trackdsf", dsf), "Trackdsf.dsf");
    EXPECT_EQ(FileNameAsWritten("Track.wav", dsf), "Track.wav.dsf");
    EXPECT_EQ(FileNameAsWritten("v1.2 mix", QStringLiteral("wav")), "v1.2 mix.wav");
}

TEST(FileNameRules, MissingNames)
{
    EXPECT_TRUE(IsMissingFileName(QString()));
    EXPECT_TRUE(IsMissingFileName(QStringLiteral("")));
    EXPECT_TRUE(IsMissingFileName(QStringLiteral(".hidden.dsf")));
    EXPECT_FALSE(IsMissingFileName(QStringLiteral(" .dsf")));
}

TEST(FileNameRules, GeneratedNames)
{
    EXPECT_TRUE(QRegularExpression("^\\d{14}$").match(currentDateString()).hasMatch()) << currentDateString().toStdString();
    const QString date = QStringLiteral("20261208094700");
    EXPECT_EQ(NumberedFileName(3, date, "dsf"), "03_20261208094700.dsf");
    EXPECT_EQ(NumberedFileName(100, date, "wav"), "100_20261208094700.wav");
    EXPECT_EQ(TitledFileName("03_20261208094700.dsf", "Intro", "dsf"), "03_Intro.dsf");
    EXPECT_EQ(TitledFileName("Opening.dsf", "Intro", "dsf"), "Intro.dsf");
    EXPECT_EQ(TitledFileName("3_x.dsf", "Intro", "dsf"), "Intro.dsf");
}

TEST(FileNameRules, LengthsCountUtf8Bytes)
{
    EXPECT_EQ(Utf8Length(QStringLiteral("abc")), 3);
    EXPECT_EQ(Utf8Length(QStringLiteral("曲")), 3);
    EXPECT_EQ(Utf8Length(QStringLiteral("é")), 2);
    EXPECT_EQ(Utf8Length(QString::fromUtf8("\xF0\x9F\x8E\xB5")), 4); // outside the BMP: one pair, four bytes
}

TEST(DurationValueTransformer, ClampsAndRoundsToTenths)
{
    EXPECT_EQ(DurationValueTransformer::format(83.45), "01:23.50");
    EXPECT_EQ(DurationValueTransformer::format(0.0), "00:00.00");
    EXPECT_EQ(DurationValueTransformer::format(-3.0), "00:00.00");
    EXPECT_EQ(DurationValueTransformer::format(5999.9), "99:59.90");
    EXPECT_EQ(DurationValueTransformer::format(5999.96), "99:59.90");
    EXPECT_EQ(DurationValueTransformer::format(1e9), "99:59.90");
    EXPECT_EQ(DurationValueTransformer::format(std::nan("")), "00:00.00");
    EXPECT_EQ(DurationValueTransformer::format(59.96), "01:00.00");
    EXPECT_EQ(DurationValueTransformer::transformedValue(QVariant(61.0)).toString(), "01:01.00");
    EXPECT_FALSE(DurationValueTransformer::transformedValue(QVariant()).isValid());
    EXPECT_FALSE(DurationValueTransformer::transformedValue(QVariant(QStringLiteral("x"))).isValid());
}

TEST(CellStateTransformers, FollowTheCheckBox)
{
    EXPECT_EQ(CellStateValueToBoolTransformer::transformedValue(1), QVariant(true));
    EXPECT_EQ(CellStateValueToBoolTransformer::transformedValue(0), QVariant(false));
    EXPECT_FALSE(CellStateValueToBoolTransformer::transformedValue(QStringLiteral("on")).isValid());
    EXPECT_EQ(CellStateValueToTextColorTransformer::transformedValue(1).value<QColor>(), QColor(kControlTextColor));
    EXPECT_EQ(CellStateValueToTextColorTransformer::transformedValue(0).value<QColor>(),
              QColor(kDisabledControlTextColor));
}

TEST(SaveDestination, EstimatesWholeFiles)
{
    // 10 s of 96 kHz/24-bit stereo: 5,760,000 bytes of samples, plus header and tag room.
    const uint64_t wav = EstimatedTrackBytes({false, 96000, 24, 2}, 5.0, 15.0);
    EXPECT_GE(wav, 5760000u + 44u);
    EXPECT_LT(wav, 5760000u + 44u + 128u * 1024u);
    // DSD64 stereo, 1 s: 352,800 bytes per channel rounded up to 4,096-byte blocks.
    const uint64_t dsf = EstimatedTrackBytes({true, 2822400, 1, 2}, 0.0, 1.0);
    EXPECT_GE(dsf, 2u * 352256u + 2u * 4096u + 92u);
    // FLAC: the most its frames can take, 4 % over the samples, as the framework counts.
    const uint64_t flac = EstimatedTrackBytes({false, 96000, 24, 2, true}, 5.0, 15.0);
    EXPECT_GE(flac, 5760000u * 104u / 100u);
    EXPECT_LT(flac, 5760000u * 104u / 100u + 128u * 1024u);
    EXPECT_EQ(EstimatedTrackBytes({false, 44100, 16, 2}, 3.0, 2.0), EstimatedTrackBytes({false, 44100, 16, 2}, 0, 0));
    // A marker on a tenth of a second counts the whole last frame: 0.7 s at 44.1 kHz is 30870 frames.
    EXPECT_EQ(EstimatedTrackBytes({false, 44100, 16, 1}, 0.0, 0.7) - EstimatedTrackBytes({false, 44100, 16, 1}, 0, 0),
              30870u * 2u);
}

TEST(SaveDestination, RefusesMissingParentAndTooLittleSpace)
{
    QTemporaryDir dir;
    EXPECT_FALSE(CheckDestination(dir.filePath("Album"), 1000).has_value());
    EXPECT_FALSE(CheckDestination(dir.path(), 1000).has_value());

    const auto missing = CheckDestination(dir.filePath("gone/Album"), 1000);
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->message, "Failed to save the file.");
    EXPECT_TRUE(missing->information.contains("No such file or directory")) << missing->information.toStdString();

    const auto full = CheckDestination(dir.filePath("Album"), uint64_t(1) << 62);
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(full->message, "Insufficient free space in the destination.");
}
