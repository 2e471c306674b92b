#include "DroppedFiles.h"

#include "RowTexts.h"

#include <QDir>

namespace tarvolin {

namespace {

bool NamesLocalFile(const QUrl& url) {
    return url.isLocalFile() && (url.host().isEmpty() || url.host() == u"localhost");
}

std::string PathOf(const QUrl& url) {
    // A name that is not UTF-8 arrives percent-encoded byte for byte; Qt's own conversion
    // would replace those bytes and name another file (FilesIntoListTest::drop).
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (QString::fromUtf8(bytes).toUtf8() != bytes)
        return bytes.toStdString();
    return TextToPath(QDir::toNativeSeparators(url.toLocalFile()));
}

} // namespace

DroppedFiles LocalFilesOf(const QList<QUrl>& urls) {
    DroppedFiles dropped;
    for (const QUrl& url : urls) {
        if (NamesLocalFile(url) && !url.path().isEmpty())
            dropped.paths.push_back(PathOf(url));
        else
            dropped.refused << url.toDisplayString();
    }
    return dropped;
}

} // namespace tarvolin
