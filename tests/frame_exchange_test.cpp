// The hand-over of frames between a host thread and the drawing thread of a view that renders
// ahead, on its own: two threads run it flat out while the test checks that the image being
// drawn is never the one shown, and that the host is shown every finished frame once, in order.

#include "view/frame_exchange.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using sorvane::FrameExchange;

namespace {

TEST(FrameExchange, WithoutTwoImagesRenderIsWaitedAndNothingIsDrawnAhead)
{
    FrameExchange exchange;
    for (int images : {0, 1}) {
        exchange.reset(images);
        EXPECT_FALSE(exchange.active());
        EXPECT_EQ(exchange.hand_over(), FrameExchange::Next::RenderWaited);
        EXPECT_EQ(exchange.drawable(), -1);
        EXPECT_EQ(exchange.shown(), 0);
    }
}

TEST(FrameExchange, OneStepIsQueuedAtATimeAndAFinishedFrameIsShownAtTheNextHandOver)
{
    FrameExchange exchange;
    exchange.reset(2);
    EXPECT_TRUE(exchange.active());
    EXPECT_EQ(exchange.hand_over(), FrameExchange::Next::QueueStep);
    EXPECT_EQ(exchange.hand_over(), FrameExchange::Next::Nothing) << "a step is queued already";
    EXPECT_EQ(exchange.drawable(), 1);
    exchange.finished();
    EXPECT_EQ(exchange.drawable(), -1) << "the finished frame waits for the host";
    exchange.step_done();
    EXPECT_EQ(exchange.shown(), 0) << "shown only at the host's next hand-over";
    EXPECT_EQ(exchange.hand_over(), FrameExchange::Next::QueueStep);
    EXPECT_EQ(exchange.shown(), 1);
    EXPECT_EQ(exchange.drawable(), 0);
    // A step that draws nothing (no frame due) leaves the shown image.
    exchange.step_done();
    EXPECT_EQ(exchange.hand_over(), FrameExchange::Next::QueueStep);
    EXPECT_EQ(exchange.shown(), 1);
    // A reset forgets a finished frame and a queued step.
    exchange.finished();
    exchange.reset(2);
    EXPECT_EQ(exchange.shown(), 0);
    EXPECT_EQ(exchange.drawable(), 1);
    EXPECT_EQ(exchange.hand_over(), FrameExchange::Next::QueueStep);
}

TEST(FrameExchange, TheImageBeingDrawnIsNeverShownAndFramesArriveOnceInOrder)
{
    FrameExchange exchange;
    exchange.reset(2);
    // What each image holds: the number of the frame drawn into it, or -1 while it is drawn.
    std::atomic<int> content[2] = {0, 0};
    std::atomic<bool> stop{false};
    std::atomic<int> steps{0};
    std::atomic<int> faults{0};

    std::thread drawing([&] {
        int frame = 0;
        while (!stop) {
            if (steps.load() == 0) {
                std::this_thread::yield();
                continue;
            }
            --steps;
            const int image = exchange.drawable();
            if (image >= 0) {
                content[image] = -1;
                std::this_thread::yield();
                content[image] = ++frame;
                exchange.finished();
            }
            exchange.step_done();
        }
    });

    int last = 0;
    int new_frames = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (new_frames < 500 && std::chrono::steady_clock::now() < deadline) {
        if (exchange.hand_over() == FrameExchange::Next::QueueStep)
            ++steps;
        const int seen = content[exchange.shown()];
        if (seen < 0 || seen < last)
            ++faults;
        new_frames += seen > last;
        last = seen;
        std::this_thread::yield();
    }
    stop = true;
    drawing.join();
    EXPECT_EQ(faults.load(), 0);
    EXPECT_EQ(new_frames, 500);
}

}  // namespace
