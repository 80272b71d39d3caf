// Version file parsing.
#include "update/VersionFile.h"

#include "update/UrlPolicy.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace {

const QString kVersionHeader = QStringLiteral("Version: ");
const QString kUrlHeader = QStringLiteral("URL: ");
constexpr qsizetype kMinimumLines = 3;

} // namespace

std::optional<QString> confirmString(const QString& line, const QString& header)
{
    if (!line.startsWith(header))
        return std::nullopt;
    return line.mid(header.size());
}

std::optional<QString> DecodeUtf16(const QByteArray& bytes)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    QStringDecoder::Encoding encoding = QStringDecoder::Utf16BE;
    QByteArrayView data(bytes);
    if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringDecoder::Utf16LE;
        data = data.sliced(2);
    } else if (bytes.startsWith("\xFE\xFF")) {
        data = data.sliced(2);
    }
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(data);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QStringList SplitLines(const QString& text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|[\\n\\r\\x{0085}\\x{2028}\\x{2029}]"));
    QStringList lines = text.split(lineEnd);
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

std::optional<VersionFile> ParseVersionFile(const QByteArray& body)
{
    const std::optional<QString> text = DecodeUtf16(body);
    if (!text)
        return std::nullopt;
    const QStringList lines = SplitLines(*text);
    if (lines.size() < kMinimumLines)
        return std::nullopt;

    const std::optional<QString> versionText = confirmString(lines.at(0), kVersionHeader);
    if (!versionText)
        return std::nullopt;
    const std::optional<Version> version = Version::initWithString(*versionText);
    if (!version)
        return std::nullopt;

    const std::optional<QString> urlText = confirmString(lines.at(1), kUrlHeader);
    if (!urlText)
        return std::nullopt;
    const QUrl url(urlText->trimmed(), QUrl::StrictMode);
    if (!IsAllowedUpdateUrl(url))
        return std::nullopt;

    VersionFile file;
    file.version = *version;
    file.url = url;
    for (qsizetype i = 2; i < lines.size(); ++i)
        file.detail += lines.at(i) + u'\n';
    return file;
}
