#include "common/ui/LocalFileUrl.h"

#include <QByteArray>

namespace rinoza {

QUrl localFileUrl(const std::string& bytes) {
    const QByteArray encoded =
        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toPercentEncoding(QByteArrayLiteral("/"));
    return QUrl::fromEncoded(QByteArrayLiteral("file://") + encoded, QUrl::StrictMode);
}

} // namespace rinoza
