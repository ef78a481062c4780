#include "shared/widgets/ui_text.h"

#include <QStringDecoder>

QString FromBytes(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text = utf8.decode(view);
    if (!utf8.hasError()) return text;
    return QString::fromLatin1(view);
}

std::string ToBytes(const QString& text) {
    return text.toStdString();
}
