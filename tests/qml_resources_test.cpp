// The built-in QML modules as the library carries them: resource paths and storage, enciphered
// scenes, qmldir files, static plugins and module registrations, and the scenes themselves,
// deciphered, compiled and run. The two input scenes are also rendered with Qt Quick's software
// renderer to check the pixel layout that their comments promise.

#include "qml/qml_modules.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJSValue>
#include <QJsonArray>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPluginLoader>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlEngineExtensionPlugin>
#include <QQuickItem>
#include <QQuickWindow>
#include <QResource>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <QXmlStreamReader>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Readable strings and colours in failure messages.
void PrintTo(const QString& string, std::ostream* os)
{
    *os << '"' << string.toStdString() << '"';
}

void PrintTo(const QColor& colour, std::ostream* os)
{
    *os << colour.name(QColor::HexArgb).toStdString();
}

namespace {

const QString kSourceDir = QStringLiteral(TEST_SOURCE_DIR "/../resources");

struct Module {
    QString name;
    QStringList scenes;
    QStringList assets;  // relative to the module's directory, same path in the resources
};

QStringList multimediaIcons()
{
    QStringList icons;
    for (const char* icon : {"chevron_backward", "chevron_forward", "crop", "fast_forward", "pause",
                             "play_arrow", "skip_next", "skip_previous", "subtitles", "voice_chat",
                             "volume_off", "volume_up"})
        icons << QStringLiteral("assets/images/Multimedia/%1.svg").arg(QLatin1StringView(icon));
    return icons;
}

const std::vector<Module>& modules()
{
    static const std::vector<Module> all = {
        {"Web", {}, {}},
        {"Splash",
         {"Splash", "StackViewFancy"},
         {"assets/fonts/VCR_OSD_MONO.ttf", "assets/images/footer_roofs_front.png",
          "assets/images/footer_roofs_middle.png"}},
        {"Debug", {"Debug", "DebugMouse", "DebugLatency", "DebugVideo"}, {}},
        {"Multimedia", {}, multimediaIcons()},
    };
    return all;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll();
}

QByteArray sceneKey()
{
    QByteArray key = readFile(kSourceDir + "/scene_key.txt");
    while (key.endsWith('\n') || key.endsWith('\r'))
        key.chop(1);
    return key;
}

QByteArray decipher(const QByteArray& data, const QByteArray& key)
{
    QByteArray out(data.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        out[i] = char(data[i] ^ key[i % key.size()]);
    return out;
}

QString sceneResource(const QString& module, const QString& scene)
{
    return QStringLiteral(":/%1/qml/%1/%2.qml.enc").arg(module, scene);
}

QString plainScene(const QString& module, const QString& scene)
{
    return QStringLiteral("%1/%2/qml/%2/%3.qml").arg(kSourceDir, module, scene);
}

// Runs the event loop for a while.
void wait(int msec)
{
    QEventLoop loop;
    QTimer::singleShot(msec, &loop, &QEventLoop::quit);
    loop.exec();
}

// Collects warnings and errors while alive.
class MessageCollector {
public:
    MessageCollector() { previous = qInstallMessageHandler(&MessageCollector::handle); current = this; }
    ~MessageCollector()
    {
        qInstallMessageHandler(previous);
        current = nullptr;
    }
    QStringList messages;

private:
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type != QtDebugMsg && type != QtInfoMsg && current)
            current->messages << message;
    }
    static inline MessageCollector* current = nullptr;
    QtMessageHandler previous = nullptr;
};

}  // namespace

// Stands in for the view object that every scene gets as "view" and "ctx".
class SceneHost : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void singleShot(int msec, QJSValue callback)
    {
        QTimer::singleShot(msec, this, [callback]() mutable { callback.call(); });
    }
    Q_INVOKABLE void setBlockRendering(bool block) { blockRendering = block; }
    bool blockRendering = false;
};

namespace {

// A deciphered scene written to a temporary file, compiled and instantiated with the context
// properties of a view.
class LoadedScene {
public:
    LoadedScene(const QString& module, const QString& scene)
    {
        path = dir.filePath(scene + ".qml");
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(decipher(readFile(sceneResource(module, scene)), sceneKey())) < 0) {
            ADD_FAILURE() << "cannot write " << path.toStdString();
            return;
        }
        out.close();
        context = std::make_unique<QQmlContext>(engine.rootContext());
        context->setContextProperty("view", &host);
        context->setContextProperty("ctx", &host);
        context->setContextProperty("PATH_ADDON", "/tmp/project/addons/webview/");
        component = std::make_unique<QQmlComponent>(&engine, QUrl::fromLocalFile(path));
        if (component->isReady())
            root.reset(qobject_cast<QQuickItem*>(component->create(context.get())));
    }
    ~LoadedScene() { root.reset(); }

    QString errors() const { return component ? component->errorString() : QString(); }

    QTemporaryDir dir;
    QString path;
    QQmlEngine engine;
    SceneHost host;
    std::unique_ptr<QQmlContext> context;
    std::unique_ptr<QQmlComponent> component;
    std::unique_ptr<QQuickItem> root;
};

// ---------------------------------------------------------------------------------------------
// Resource tree

TEST(QmlResources, FilesAreAtTheirPathsAndStoredUncompressed)
{
    for (const Module& m : modules()) {
        QStringList paths{QStringLiteral(":/%1/qmldir").arg(m.name)};
        for (const QString& scene : m.scenes)
            paths << sceneResource(m.name, scene);
        for (const QString& asset : m.assets)
            paths << QStringLiteral(":/%1/%2").arg(m.name, asset);
        for (const QString& path : paths) {
            QResource resource(path);
            ASSERT_TRUE(resource.isValid()) << path.toStdString();
            EXPECT_EQ(resource.compressionAlgorithm(), QResource::NoCompression) << path.toStdString();
            EXPECT_GT(resource.size(), 0) << path.toStdString();
        }
    }
}

TEST(QmlResources, AssetsAreStoredAsTheyAre)
{
    for (const Module& m : modules())
        for (const QString& asset : m.assets)
            EXPECT_EQ(readFile(QStringLiteral(":/%1/%2").arg(m.name, asset)),
                      readFile(QStringLiteral("%1/%2/%3").arg(kSourceDir, m.name, asset)))
                << asset.toStdString();
}

TEST(QmlResources, NoSceneIsStoredInPlainText)
{
    for (const Module& m : modules())
        for (const QString& scene : m.scenes) {
            EXPECT_FALSE(QFile::exists(QStringLiteral(":/%1/qml/%1/%2.qml").arg(m.name, scene)));
            const QByteArray stored = readFile(sceneResource(m.name, scene));
            EXPECT_FALSE(stored.contains("import QtQuick")) << scene.toStdString();
        }
}

TEST(QmlResources, EncipheredScenesDecipherToTheirSources)
{
    const QByteArray key = sceneKey();
    ASSERT_EQ(key.size(), 16);
    for (const Module& m : modules())
        for (const QString& scene : m.scenes) {
            const QByteArray stored = readFile(sceneResource(m.name, scene));
            const QByteArray plain = readFile(plainScene(m.name, scene));
            ASSERT_FALSE(plain.isEmpty());
            EXPECT_EQ(decipher(stored, key), plain) << scene.toStdString();
        }
}

TEST(QmlResources, QmldirHasTheSixModuleLinesAndAnEmptyLine)
{
    for (const Module& m : modules()) {
        const QString expected = QStringLiteral(
                                     "module %1\n"
                                     "linktarget %1plugin\n"
                                     "optional plugin %1plugin\n"
                                     "classname %1Plugin\n"
                                     "typeinfo %1.qmltypes\n"
                                     "prefer :/%1/\n"
                                     "\n")
                                     .arg(m.name);
        EXPECT_EQ(QString::fromUtf8(readFile(QStringLiteral(":/%1/qmldir").arg(m.name))), expected);
    }
}

TEST(QmlResources, IconsAreSquareSvgDocuments)
{
    for (const QString& icon : multimediaIcons()) {
        QXmlStreamReader xml(readFile(":/Multimedia/" + icon));
        ASSERT_TRUE(xml.readNextStartElement()) << icon.toStdString();
        EXPECT_EQ(xml.name(), QLatin1StringView("svg")) << icon.toStdString();
        EXPECT_EQ(xml.attributes().value("viewBox"), QLatin1StringView("0 0 24 24")) << icon.toStdString();
        while (!xml.atEnd())
            xml.readNext();
        EXPECT_FALSE(xml.hasError()) << icon.toStdString() << ": " << xml.errorString().toStdString();
    }
}

// ---------------------------------------------------------------------------------------------
// Plugins and module registrations

TEST(QmlModules, EachModuleHasAStaticPluginNamedAfterIt)
{
    const QList<QStaticPlugin> plugins = QPluginLoader::staticPlugins();
    for (const Module& m : modules()) {
        const QString className = m.name + "Plugin";
        int found = 0;
        for (const QStaticPlugin& plugin : plugins) {
            const QJsonObject meta = plugin.metaData();
            if (meta.value("className").toString() != className)
                continue;
            ++found;
            EXPECT_EQ(meta.value("IID").toString(), "org.qt-project.Qt.QQmlEngineExtensionInterface");
            const QJsonArray uri = meta.value("uri").toArray();
            ASSERT_EQ(uri.size(), 1) << className.toStdString();
            EXPECT_EQ(uri.first().toString(), m.name);
            QObject* instance = plugin.instance();
            EXPECT_NE(qobject_cast<QQmlEngineExtensionPlugin*>(instance), nullptr);
            EXPECT_EQ(plugin.instance(), instance) << "the instance is shared";
        }
        EXPECT_EQ(found, 1) << className.toStdString();
    }
}

TEST(QmlModules, RegistrationFunctionsCanBeCalledAgain)
{
    for (auto registerTypes : {&qml_register_types_Web, &qml_register_types_Splash,
                               &qml_register_types_Debug, &qml_register_types_Multimedia}) {
        registerTypes();
        registerTypes();
    }
    QQmlEngine engine;
    for (const Module& m : modules()) {
        QQmlComponent component(&engine);
        component.setData(QStringLiteral("import QtQuick\nimport %1 1.0\nItem {}\n").arg(m.name).toUtf8(),
                          QUrl());
        EXPECT_TRUE(component.isReady()) << component.errorString().toStdString();
    }
}

TEST(QmlModules, ModulesImportThroughTheirQmldirInResources)
{
    // With the resource root on the import path the engine finds each module's qmldir, and with
    // it the module's static plugin.
    QQmlEngine engine;
    engine.addImportPath("qrc:/");
    for (const Module& m : modules()) {
        QQmlComponent component(&engine);
        component.setData(QStringLiteral("import QtQuick\nimport %1\nItem {}\n").arg(m.name).toUtf8(),
                          QUrl());
        EXPECT_TRUE(component.isReady()) << m.name.toStdString() << ": "
                                         << component.errorString().toStdString();
    }
}

// ---------------------------------------------------------------------------------------------
// Scenes

TEST(QmlScenes, EverySceneCompilesAndRunsWithoutWarnings)
{
    for (const Module& m : modules())
        for (const QString& scene : m.scenes) {
            SCOPED_TRACE(scene.toStdString());
            MessageCollector messages;
            LoadedScene loaded(m.name, scene);
            ASSERT_TRUE(loaded.component->isReady()) << loaded.errors().toStdString();
            ASSERT_TRUE(loaded.root) << "the root must be an Item";
            // No size of its own, so that the view gives it its resolution.
            EXPECT_LT(loaded.root->width(), 16);
            loaded.root->setSize(QSizeF(800, 450));
            wait(400);  // let timers and animations run
            loaded.root->setSize(QSizeF(320, 180));
            wait(100);
            EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('\n').toStdString();
        }
}

// Renders a scene in a window with Qt Quick's software renderer and feeds it input.
class RenderedScene : public LoadedScene {
public:
    RenderedScene(const QString& module, const QString& scene) : LoadedScene(module, scene)
    {
        if (!root)
            return;
        window.resize(640, 480);
        root->setParentItem(window.contentItem());
        root->setSize(QSizeF(640, 480));
        window.show();
        window.requestActivate();
        QElapsedTimer waited;
        waited.start();
        while (!(window.isExposed() && window.isActive()) && waited.elapsed() < 5000)
            wait(10);
    }
    ~RenderedScene() { root.reset(); }

    QColor pixel(int x, int y)
    {
        if (image.isNull())
            grab();
        return image.pixelColor(x, y);
    }
    void grab() { image = window.grabWindow(); }

    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, pos, window.mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &event);
        image = {};
    }
    void wheel(QPoint pos, int delta)
    {
        QWheelEvent event(pos, window.mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&window, &event);
        image = {};
    }
    void key(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, const QString& text = {})
    {
        QKeyEvent event(type, key, modifiers, text);
        QCoreApplication::sendEvent(&window, &event);
        image = {};
    }

    QQuickWindow window;
    QImage image;
};

const QColor kBackground("#202020");
const QColor kOff("#404040");
const QColor kOn("#00ff00");
const QColor kRed("#ff0000");

TEST(QmlScenes, DebugMouseShowsButtonsCrosshairWheelAndKeys)
{
    RenderedScene s("Debug", "DebugMouse");
    ASSERT_TRUE(s.root) << s.errors().toStdString();

    // Nothing held, no crosshair yet.
    for (int x : {20, 60, 100, 140, 180, 220})
        EXPECT_EQ(s.pixel(x, 20), kOff) << x;
    for (int x : {20, 60, 100, 140, 180})
        EXPECT_EQ(s.pixel(x, 85), kOff) << x;
    EXPECT_EQ(s.pixel(400, 300), kBackground);

    const QPoint at(400, 300);
    s.mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    s.mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    s.mouse(QEvent::MouseButtonPress, at, Qt::BackButton, Qt::LeftButton | Qt::BackButton);
    EXPECT_EQ(s.pixel(20, 20), kOn) << "L";
    EXPECT_EQ(s.pixel(60, 20), kOff) << "R";
    EXPECT_EQ(s.pixel(100, 20), kOff) << "M";
    EXPECT_EQ(s.pixel(140, 20), kOn) << "B";
    EXPECT_EQ(s.pixel(180, 20), kOff) << "F";
    // Crosshair through the pointer: its column and row, not their neighbours.
    EXPECT_EQ(s.pixel(400, 470), kRed);
    EXPECT_EQ(s.pixel(620, 300), kRed);
    EXPECT_EQ(s.pixel(401, 470), kBackground);
    EXPECT_EQ(s.pixel(620, 301), kBackground);

    s.mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::BackButton);
    EXPECT_EQ(s.pixel(20, 20), kOff) << "L released";
    EXPECT_EQ(s.pixel(140, 20), kOn) << "B still held";
    s.mouse(QEvent::MouseButtonRelease, at, Qt::BackButton, Qt::NoButton);
    s.mouse(QEvent::MouseMove, QPoint(300, 250), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(s.pixel(140, 20), kOff);
    EXPECT_EQ(s.pixel(300, 470), kRed) << "the crosshair follows hover moves";
    EXPECT_EQ(s.pixel(400, 470), kBackground);

    s.wheel(QPoint(300, 250), 120);
    EXPECT_EQ(s.pixel(220, 20), QColor("#0000ff")) << "wheel up";
    s.wheel(QPoint(300, 250), -120);
    EXPECT_EQ(s.pixel(220, 20), QColor("#ffff00")) << "wheel down";

    s.key(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, "A");
    EXPECT_EQ(s.pixel(20, 85), kOn) << "K";
    EXPECT_EQ(s.pixel(60, 85), kOn) << "Ctrl";
    EXPECT_EQ(s.pixel(100, 85), kOn) << "Shift";
    EXPECT_EQ(s.pixel(140, 85), kOff) << "Alt";
    EXPECT_EQ(s.pixel(180, 85), kOff) << "Meta";
    s.key(QEvent::KeyRelease, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, "A");
    EXPECT_EQ(s.pixel(20, 85), kOff) << "K released";
    s.key(QEvent::KeyPress, Qt::Key_B, Qt::AltModifier | Qt::MetaModifier, "b");
    EXPECT_EQ(s.pixel(60, 85), kOff) << "Ctrl";
    EXPECT_EQ(s.pixel(140, 85), kOn) << "Alt";
    EXPECT_EQ(s.pixel(180, 85), kOn) << "Meta";
}

TEST(QmlScenes, DebugLatencyTogglesPerFrameAndPerInput)
{
    RenderedScene s("Debug", "DebugLatency");
    ASSERT_TRUE(s.root) << s.errors().toStdString();
    const QColor magenta("#ff00ff"), cyan("#00ffff"), black("#000000"), white("#ffffff");

    // Consecutive frames alternate the frame square.
    s.grab();
    const QColor first = s.pixel(32, 32);
    ASSERT_TRUE(first == magenta || first == cyan) << first.name().toStdString();
    s.grab();
    EXPECT_EQ(s.pixel(32, 32), first == magenta ? cyan : magenta);
    EXPECT_EQ(s.pixel(63, 63), s.pixel(0, 0));

    EXPECT_EQ(s.pixel(300, 300), kBackground);

    // The input and move squares are black or white and swap on each of their events. The
    // window may already have seen a hover when it was shown, so only changes are checked.
    const auto other = [&](const QColor& c) { return c == black ? white : black; };
    QColor input = s.pixel(96, 32);
    QColor move = s.pixel(160, 32);
    ASSERT_TRUE(input == black || input == white);
    ASSERT_TRUE(move == black || move == white);

    const QPoint at(300, 300);
    s.mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(s.pixel(160, 32), move = other(move)) << "move";
    EXPECT_EQ(s.pixel(96, 32), input) << "a move is no input event";
    s.mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(s.pixel(96, 32), input = other(input)) << "press";
    s.mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(s.pixel(96, 32), input = other(input)) << "release";
    s.wheel(at, -120);
    EXPECT_EQ(s.pixel(96, 32), input = other(input)) << "wheel";
    s.key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    EXPECT_EQ(s.pixel(96, 32), input = other(input)) << "key press";
    s.key(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
    EXPECT_EQ(s.pixel(96, 32), input = other(input)) << "key release";
    s.mouse(QEvent::MouseMove, QPoint(301, 300), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(s.pixel(160, 32), other(move)) << "second move";
    EXPECT_EQ(s.pixel(96, 32), input);
}

// One application for all tests. No display: everything renders offscreen, the pixel checks
// with Qt Quick's software renderer.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app.reset(); }

private:
    int argc = 1;
    char name[19] = "qml_resources_test";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QGuiApplication> app;
};

[[maybe_unused]] ::testing::Environment* const applicationEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace

#include "qml_resources_test.moc"
