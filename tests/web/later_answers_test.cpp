// Requests of real pages that the host answers later: permissions and file choosers wait for the
// host's answer, which then reaches the page; requests still waiting get the safe default when
// the page goes, the view is reset or destroyed; answers to unknown ids are ignored with a
// warning.

#include "web_test_support.h"

#include <QTemporaryDir>

#include <fstream>

using namespace sorvane;
using namespace webtest;

namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Started(/*gpu_disabled=*/true));

// Asks for notifications when the host runs ask(), and logs "notifications: <outcome>"; a file
// input over the top left 200 x 200 CSS pixels logs "chosen: " and what it got.
const char* const kPage = R"(<!DOCTYPE html><html><body style='margin: 0; background: rgb(255, 0, 0)'>
<input type='file' id='f' style='display: block; width: 200px; height: 200px'>
<script>
function ask() {
  Notification.requestPermission().then(outcome => console.log('notifications: ' + outcome));
}
const f = document.getElementById('f');
f.addEventListener('cancel', () => console.log('chosen: cancelled'));
f.addEventListener('change', async () => {
  const parts = [];
  for (const file of f.files) parts.push(file.name + '=' + await file.text());
  console.log('chosen: ' + parts.join(','));
});
console.log('ready: ' + window.isSecureContext);
</script></body></html>)";

// The ids the host was handed, in order.
class Ids {
public:
    void add(int id)
    {
        std::lock_guard lock(m_mutex);
        m_ids.push_back(id);
    }
    std::vector<int> all() const
    {
        std::lock_guard lock(m_mutex);
        return m_ids;
    }
    // Waits for the next id after the first `seen`.
    int wait_after(const TestWebView& view, size_t seen) const
    {
        int id = 0;
        wait_until(view, [&] {
            const auto ids = all();
            if (ids.size() > seen)
                id = ids[seen];
            return id != 0;
        }, 5s);
        return id;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<int> m_ids;
};

class LaterAnswersTest : public WebTest {
protected:
    void load(TestWebView& view, const std::string& url)
    {
        view.set_zoom_factor(100);
        view.set_url(url);
        ASSERT_TRUE(view.load());
        ASSERT_EQ(view.wait_for_message("ready: "), "true");
        view.wait_for_pixel(300, 300, kRed);
    }
};

}  // namespace

TEST_F(LaterAnswersTest, PermissionsWaitForTheHostsAnswerWhichReachesThePage)
{
    HttpServer server(kPage);
    TestWebView view;
    auto ids = std::make_shared<Ids>();
    auto origins = std::make_shared<std::vector<std::string>>();
    // The synchronous callback is not asked while a later one is set.
    auto synchronous = std::make_shared<std::atomic<int>>(0);
    view.set_func_permission_requested([synchronous](std::string, std::string) {
        ++*synchronous;
        return true;
    });
    view.set_func_permission_requested_later([ids, origins](int id, std::string origin, std::string permission) {
        ids->add(id);
        EXPECT_EQ(permission, "notifications");
        origins->push_back(origin);  // only the Qt thread writes it; read after the answers
    });
    ASSERT_NO_FATAL_FAILURE(load(view, server.url()));

    for (const bool granted : {true, false}) {
        const size_t before = view.recorded->console().size();
        const size_t asked = ids->all().size();
        view.run_javascript("ask()");
        const int id = ids->wait_after(view, asked);
        ASSERT_NE(id, 0) << "the host was asked";
        // The page waits for the answer...
        EXPECT_EQ(message_after(view, before, "notifications: ", 700ms), "(no answer)");
        // ... which reaches it when the host gives it.
        view.answer_permission_request(id, granted);
        EXPECT_EQ(message_after(view, before, "notifications: ", 5s), granted ? "granted" : "denied");

        // A second answer to the same request is ignored with a warning.
        const size_t mark = Warnings::mark();
        view.answer_permission_request(id, !granted);
        wait_until(view, [&] { return Warnings::seen_since(mark, "no such request is waiting"); }, 2s);
        EXPECT_TRUE(Warnings::seen_since(mark, "no such request is waiting"));
    }
    const std::vector<int> all = ids->all();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_NE(all[0], all[1]) << "each request has its own id";
    EXPECT_EQ(origins->front() + "/", server.url());
    EXPECT_EQ(synchronous->load(), 0);

    // An answer given from inside the callback itself.
    view.set_func_permission_requested_later(
        [&view](int id, std::string, std::string) { view.answer_permission_request(id, true); });
    const size_t before = view.recorded->console().size();
    view.run_javascript("ask()");
    EXPECT_EQ(message_after(view, before, "notifications: ", 5s), "granted");

    // An id never handed out.
    const size_t mark = Warnings::mark();
    view.answer_permission_request(-7, true);
    wait_until(view, [&] { return Warnings::seen_since(mark, "no such request is waiting"); }, 2s);
    EXPECT_TRUE(Warnings::seen_since(mark, "no such request is waiting"));

    // Without the later callback the synchronous one answers again.
    view.set_func_permission_requested_later({});
    const size_t again = view.recorded->console().size();
    view.run_javascript("ask()");
    EXPECT_EQ(message_after(view, again, "notifications: ", 5s), "granted");
    EXPECT_EQ(synchronous->load(), 1);
}

TEST_F(LaterAnswersTest, FileChoosersWaitForTheHostsFilesOrCancel)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string a = dir.filePath("a.txt").toStdString(), b = dir.filePath("b.txt").toStdString();
    std::ofstream(a) << "alpha";
    std::ofstream(b) << "beta";
    site().put("/later.html", kPage);

    TestWebView view;
    auto ids = std::make_shared<Ids>();
    auto modes = std::make_shared<std::atomic<int>>(-1);
    view.set_func_file_dialog_requested_later([ids, modes](int id, int mode, std::vector<std::string>) {
        *modes = mode;
        ids->add(id);
    });
    ASSERT_NO_FATAL_FAILURE(load(view, "res://app/later.html"));

    // A cancel, then files (only the first: the input takes one), each reaching the page. (A
    // cancel after files clears the input: the page sees a change to no files instead.)
    const std::vector<std::pair<std::vector<std::string>, std::string>> answers = {
        {{}, "cancelled"}, {{b, a}, "b.txt=beta"}, {{a}, "a.txt=alpha"}};
    for (const auto& [files, seen] : answers) {
        const size_t before = view.recorded->console().size();
        const size_t asked = ids->all().size();
        int id = 0;
        // The first click on a freshly shown page may be lost: click until the host is asked.
        for (int attempt = 0; attempt < 10 && id == 0; ++attempt) {
            click(view, 100, 100);
            wait_until(view, [&] { return ids->all().size() > asked; }, 500ms);
            if (ids->all().size() > asked)
                id = ids->all()[asked];
        }
        ASSERT_NE(id, 0) << "the host was asked";
        EXPECT_EQ(modes->load(), 0);
        EXPECT_EQ(message_after(view, before, "chosen: ", 700ms), "(no answer)") << "the chooser waits";
        view.answer_file_dialog_request(id, files);
        EXPECT_EQ(message_after(view, before, "chosen: ", 5s), seen);
    }
}

TEST_F(LaterAnswersTest, WaitingRequestsGetTheDefaultWhenThePageGoesTheViewIsResetOrDestroyed)
{
    HttpServer server(kPage);
    auto ids = std::make_shared<Ids>();
    auto view = std::make_unique<TestWebView>();
    view->set_func_permission_requested_later([ids](int id, std::string, std::string) { ids->add(id); });
    ASSERT_NO_FATAL_FAILURE(load(*view, server.url()));

    // Asks and leaves the request waiting; returns its id.
    auto waiting = [&] {
        const size_t asked = ids->all().size();
        view->run_javascript("ask()");
        return ids->wait_after(*view, asked);
    };
    auto answered_by_default = [&](int id, const char* when) {
        const size_t mark = Warnings::mark();
        view->answer_permission_request(id, true);
        wait_until(*view, [&] { return Warnings::seen_since(mark, "no such request is waiting"); }, 2s);
        EXPECT_TRUE(Warnings::seen_since(mark, "no such request is waiting")) << when;
    };

    // The page loads another address.
    int id = waiting();
    ASSERT_NE(id, 0);
    size_t mark = Warnings::mark();
    size_t before = view->recorded->console().size();
    view->set_url(server.url("/again"));
    ASSERT_EQ(message_after(*view, before, "ready: ", 10s), "true");
    EXPECT_TRUE(Warnings::seen_since(mark, "1 request(s) still waiting for the host's answer as the page loads another address"));
    answered_by_default(id, "after a navigation");

    // The view is reset (and loaded again).
    id = waiting();
    ASSERT_NE(id, 0);
    mark = Warnings::mark();
    view->reset();
    EXPECT_TRUE(Warnings::seen_since(mark, "as the view is reset"));
    before = view->recorded->console().size();
    ASSERT_TRUE(view->load());
    ASSERT_EQ(message_after(*view, before, "ready: ", 10s), "true");
    answered_by_default(id, "after a reset");

    // The view is destroyed with two requests waiting: nothing hangs, and an answer to a gone
    // view does nothing.
    waiting();
    id = waiting();
    ASSERT_NE(id, 0);
    mark = Warnings::mark();
    view->destroy();
    EXPECT_TRUE(Warnings::seen_since(mark, "2 request(s) still waiting for the host's answer as the view goes"));
    view->answer_permission_request(id, true);
    view.reset();
}
