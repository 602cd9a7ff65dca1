#pragma once

// The library's scenes are stored enciphered in its Qt resources, one file per QML type, at
// ":/<module>/qml/<module>/<type>.qml.enc". Loading one writes the plain text to a private
// temporary file and registers that file as the QML type <type> of module <module>, 1.0.

#include <QByteArray>
#include <QString>

namespace sorvane {

// The 16-byte key that enciphers every scene resource.
const QByteArray& scene_key();

// Byte i of the result is byte i of the input XOR key byte (i mod key length). Enciphering and
// deciphering are the same operation.
QByteArray xor_cipher(const QByteArray& data, const QByteArray& key);

// Reads and deciphers one scene resource; logs "read failure" and returns an empty array when
// the resource cannot be read.
QByteArray decipher_scene(const QString& resource_path, const QByteArray& key);

// Writes the scene (module, name) to its temporary file (the same path every time for the same
// pair, readable by the owner only) and registers the type the first time. Returns the file's
// path, or an empty string when it cannot be written.
QString register_scene(const QString& module, const QString& name);

}  // namespace sorvane
