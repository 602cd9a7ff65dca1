#include "quick/scene_files.h"

#include <QDir>
#include <QFile>
#include <QQmlEngine>
#include <QUrl>
#include <QUuid>
#include <QtDebug>

#include <map>
#include <string>

#include "scene_key.h"  // generated from resources/scene_key.txt

namespace sorvane {

namespace {

static_assert(sizeof(SORVANE_SCENE_KEY) == 17, "the scene key has 16 characters");

// Scene cache: "<module><name>" -> temporary file. Grows only; touched on the Qt thread only.
std::map<std::string, QString>& scene_cache()
{
    static std::map<std::string, QString> cache;
    return cache;
}

QString new_temporary_path()
{
    return QDir::toNativeSeparators(QDir::tempPath() + "/" +
                                    QUuid::createUuid().toString(QUuid::WithoutBraces));
}

}  // namespace

const QByteArray& scene_key()
{
    static const QByteArray key(SORVANE_SCENE_KEY);
    return key;
}

QByteArray xor_cipher(const QByteArray& data, const QByteArray& key)
{
    QByteArray out = data;
    if (key.isEmpty())
        return out;
    for (qsizetype i = 0; i < out.size(); ++i)
        out[i] = static_cast<char>(out[i] ^ key[i % key.size()]);
    return out;
}

QByteArray decipher_scene(const QString& resource_path, const QByteArray& key)
{
    QFile file(resource_path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "read failure";
        return {};
    }
    return xor_cipher(file.readAll(), key);
}

QString register_scene(const QString& module, const QString& name)
{
    const std::string key = QStringLiteral("%1%2").arg(module, name).toStdString();
    const QString resource = QStringLiteral(":/%1/qml/%2/%3.qml.enc").arg(module, module, name);

    auto& cache = scene_cache();
    auto found = cache.find(key);
    const bool first_registration = found == cache.end();
    const QString path = first_registration ? cache.emplace(key, new_temporary_path()).first->second
                                            : found->second;

    const QByteArray scene = decipher_scene(resource, scene_key());

    // The plain scene is readable by its owner only.
    constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, kOwnerOnly))
        return {};
    file.setPermissions(kOwnerOnly);  // in case the file was already there
    file.write(scene);
    file.close();

    if (first_registration) {
        const QUrl url = QUrl::fromLocalFile(path);
        if (url.isRelative())
            qWarning() << "qmlRegisterType requires absolute URLs.";
        else
            qmlRegisterType(url, module.toUtf8().constData(), 1, 0, name.toLatin1().constData());
    }
    return path;
}

}  // namespace sorvane
