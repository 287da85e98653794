// Windows-1250 conversion through Qt's ICU-backed string converters.
#include "platform/CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform {

namespace {

constexpr const char kCodePageName[] = "windows-1250";

// Encodes one character (one or two UTF-16 units); empty when the code page lacks it.
QByteArray encodeOne(QStringView character)
{
    QStringEncoder encoder(kCodePageName);
    QByteArray bytes = encoder.encode(character);
    if (encoder.hasError())
        return {};
    return bytes;
}

template <typename OnCharacter>
void forEachCharacter(const QString& text, OnCharacter onCharacter)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length =
            (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
        onCharacter(QStringView(text).mid(i, length));
        i += length;
    }
}

}  // namespace

QString fromWindows1250(std::string_view bytes)
{
    QStringDecoder decoder(kCodePageName);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string toWindows1250(const QString& text)
{
    QStringEncoder encoder(kCodePageName);
    QByteArray whole = encoder.encode(text);
    if (!encoder.hasError())
        return whole.toStdString();

    // Rare path: redo it a character at a time so that each unknown one becomes '?'.
    std::string result;
    forEachCharacter(text, [&](QStringView character) {
        const QByteArray bytes = encodeOne(character);
        if (bytes.isEmpty())
            result += '?';
        else
            result.append(bytes.constData(), static_cast<size_t>(bytes.size()));
    });
    return result;
}

bool fitsWindows1250(const QString& text)
{
    QStringEncoder encoder(kCodePageName);
    (void)encoder.encode(text);
    return !encoder.hasError();
}

}  // namespace platform
