// SHA-256 from the platform library, which the window links anyway.
#include "tools/manifest.h"

#include <QByteArrayView>
#include <QCryptographicHash>

std::string Sha256Hex(const uint8_t* data, size_t size) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // Fed in pieces: a view holds at most a signed size.
    constexpr size_t Piece = size_t{1} << 30;
    for (size_t at = 0; at < size; at += Piece)
        hash.addData(QByteArrayView(data + at, static_cast<qsizetype>(std::min(Piece, size - at))));
    return hash.result().toHex().toStdString();
}
