// Engine objects on a real QWebChannel: what the page-side channel library sees and sends, and
// what reaches the engine's functions.

#include "databinding/data_binding_context_manager.h"
#include "databinding/web_channel_binding.h"

#include "channel_client.h"
#include "engine_objects.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <memory>

using namespace sorvane::db;
using namespace testing_db;
using T = VariantTypeStd;

namespace {

QStringList g_warnings;

int warned(const QString& text)
{
    return static_cast<int>(g_warnings.filter(text).size());
}

template <typename V>
V as(const ContainerStd& c)
{
    const V* v = std::get_if<V>(&std::get<ValueStd>(c));
    EXPECT_NE(v, nullptr) << "alternative " << std::get<ValueStd>(c).index();
    return v ? *v : V{};
}

// One page scene: its root, its channel, the binding attached to it and a page client.
class AdapterTest : public ::testing::Test {
protected:
    void SetUp() override { binding.attach(&channel, root.get()); }
    void TearDown() override
    {
        root.reset();  // the manager ends with it; its adapters go with the next deferred deletes
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void publish(AbstractContextObjectStd* o)
    {
        binding.register_object(o->name, o);
        client.init();
    }

    std::unique_ptr<QObject> root = std::make_unique<QObject>();
    QWebChannel channel;
    WebChannelBinding binding;
    ChannelClient client{channel};
    std::vector<std::vector<ContainerStd>> calls;
    std::vector<ContainerStd> writes;
};

}  // namespace

TEST_F(AdapterTest, MembersAreDescribedForThePage)
{
    publish(object("player", {property("pos", T::VECTOR2I, ValueStd(Vector2iStd{3, 4}))},
                   {method("b"), method("a", {{"x", T::INT}, {"y", T::STRING}}), signal("died")}));
    EXPECT_EQ(client.initial("player.pos", "value"), QJsonValue(QJsonArray{3, 4}));
    EXPECT_EQ(client.initial("player", "isContextObject"), QJsonValue(true));
    const QJsonObject methods = client.initial("player", "methodsMap").toObject();
    EXPECT_EQ(methods.keys(), QStringList({"a", "b", "died"}));
    EXPECT_EQ(QJsonDocument(methods["a"].toObject()).toJson(QJsonDocument::Compact),
              R"({"args":[{"name":"x","type":3},{"name":"y","type":5}],"is_signal":false,"name":"a","return_type":1})");
    EXPECT_EQ(QJsonDocument(client.initial("player", "variablesMap").toObject()).toJson(QJsonDocument::Compact),
              R"({"pos":{"name":"pos","type":7}})");
    EXPECT_EQ(client.call("player", "get_method_signature", {"a"}), QJsonValue("a(x: int,y: string)"));
    EXPECT_EQ(client.call("player", "get_method_signature", {"b"}), QJsonValue("b()"));
    EXPECT_EQ(client.call("player", "get_method_signature", {"zzz"}), QJsonValue());
}

TEST_F(AdapterTest, PageWritesAndCallsReachTheEngineOrAreRefused)
{
    auto* nothing = property("nothing", T::NIL, ValueStd(std::string("kept")));
    auto* unhooked = property("unhooked", T::STRING);
    auto* aim = method("aim", {{"at", T::VECTOR3}, {"tags", T::INT}});
    nothing->func_valueChanged_updateGodot = [this](PropertyInfoStd* p) { writes.push_back(p->value); };
    aim->func_call_method = [this](MethodInfoStd*, std::vector<ContainerStd> v) { calls.push_back(v); };
    publish(object("player", {nothing, unhooked}, {aim, method("idle")}));

    client.set("player.nothing", "value", 9);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(as<std::string>(writes[0]), "kept");
    ::testing::internal::CaptureStderr();
    client.set("player.unhooked", "value", "hi");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "func_valueChanged_updateGodot nullptr! unhooked\n");
    EXPECT_EQ(as<std::string>(unhooked->value), "hi");

    EXPECT_EQ(client.call("player", "___invoke_method", {"aim", QJsonArray{QJsonArray{1, 2, 3.5}}}), QJsonValue(true));
    ASSERT_EQ(calls.size(), 1u);
    ASSERT_EQ(calls[0].size(), 1u);  // fewer arguments than parameters: only those
    EXPECT_EQ(as<Vector3Std>(calls[0][0]).z, 3.5);

    const std::pair<QJsonArray, const char*> refused[] = {
        {{"aim", QJsonArray{QJsonArray{1, 2, 3}, 1, 2}}, "takes 2 argument(s), but 3 were given"},
        {{"aim", QJsonArray{5, 1}}, "expecting a Vector (a list) as argument with the correct lenght"},
        {{"aim", QJsonArray{QJsonArray{1, 2}, 1}}, "expecting a Vector (a list) as argument with the correct lenght"},
        {{"nothing", QJsonArray{}}, "was not a method"},
        {{"fly", QJsonArray{}}, "\"fly\" doesn't exist"},
        {{"idle", QJsonArray{}}, "func_call_method was nullptr, failed to call method \"idle\""},
    };
    for (const auto& [args, warning] : refused) {
        const int before = warned(warning);
        EXPECT_EQ(client.call("player", "___invoke_method", args), QJsonValue()) << warning;
        EXPECT_EQ(warned(warning), before + 1) << warning;
    }
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(AdapterTest, AnObjectGoneBeforeAnyPageConnectedLeavesNothingOnTheChannel)
{
    binding.register_object("early", object("early", {property("p", T::INT)}, {method("m", {{"x", T::INT}})}));
    binding.deregister_object("early");
    EXPECT_FALSE(binding.manager()->deregisterObject("early"));
    EXPECT_EQ(warned("cannot remove context object ' \"early\" ', does not exist."), 1);
    // The channel describes what is still published; a deleted member would be read here.
    EXPECT_EQ(client.init().keys(), QStringList{"___cm"});
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtWarningMsg)
            g_warnings.append(message);
    });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
