// The scene cipher and the scene key: enciphering twice gives the input back with any key, and
// a scene enciphered with the library's key and read back through decipher_scene is the plain
// scene again.
//
// Input: one byte (a key length, 0..32), that many key bytes, then the data.

#include "fuzz_support.h"
#include "quick/scene_files.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

namespace {

QString scratch_file()
{
    static const QString path =
        QDir::tempPath() + QStringLiteral("/sorvane-scene-cipher-fuzz-%1.qml.enc").arg(::getpid());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    sorvane::fuzz::silence_qt_messages();
    scratch_file();  // built before the exit handler is registered, so it outlives the handler
    std::atexit([] { QFile::remove(scratch_file()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    sorvane::fuzz::ByteReader input(data, size);
    const QByteArray key = QByteArray::fromStdString(input.bytes(input.byte() % 33));
    const QByteArray plain = QByteArray::fromStdString(input.rest());

    const QByteArray enciphered = sorvane::xor_cipher(plain, key);
    FUZZ_CHECK(enciphered.size() == plain.size());
    FUZZ_CHECK(sorvane::xor_cipher(enciphered, key) == plain);
    // No key, or a key of zero bytes only, changes nothing.
    if (key.count('\0') == key.size())
        FUZZ_CHECK(enciphered == plain);

    const QByteArray& scene_key = sorvane::scene_key();
    FUZZ_CHECK(scene_key.size() == 16);
    const QByteArray stored = sorvane::xor_cipher(plain, scene_key);
    // The key has no zero byte, so every byte of a stored scene differs from the plain one.
    for (qsizetype i = 0; i < plain.size(); ++i)
        FUZZ_CHECK(stored[i] != plain[i]);

    QFile file(scratch_file());
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(stored) == stored.size());
    file.close();
    FUZZ_CHECK(sorvane::decipher_scene(scratch_file(), scene_key) == plain);
    return 0;
}
