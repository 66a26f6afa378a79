#include "common/ui/LocalFileUrl.h"

#include "platform/Paths.h"

#include <QByteArray>

namespace rinoza {

QUrl localFileUrl(const std::string& bytes) {
    return QUrl::fromEncoded(QByteArray::fromStdString("file://" + percentEncodePath(bytes)), QUrl::StrictMode);
}

} // namespace rinoza
