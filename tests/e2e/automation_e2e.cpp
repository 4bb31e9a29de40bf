// The automation cycle with the real Windows calls, against the stand-in client.
#include <gtest/gtest.h>

#include "shell/Win32APIcalls.h"
#include "E2eSupport.h"
#include "automation/AutomationCycle.h"
#include "automation/ClientFinder.h"

namespace {

TEST(ClientAutomation, CycleFindsMaximizesAndDrivesTheClient) {
    e2e::StandIn client;
    ASSERT_TRUE(client.window());
    ShowWindow(client.window(), SW_MINIMIZE);  // found wherever the user left it

    trawlix::Win32APIcalls api;
    trawlix::PanelState state;
    state.downloadCount = "2";
    state.tickCount = 1;
    trawlix::AutomationCycle cycle(state, api);
    EXPECT_EQ(cycle.Timer_Timer(), trawlix::TickResult::Completed);

    EXPECT_EQ(trawlix::clientWindow, reinterpret_cast<trawlix::WindowHandle>(client.window()));
    EXPECT_TRUE(IsZoomed(client.window()));
    EXPECT_EQ(GetForegroundWindow(), client.window());
    const auto expected = e2e::completedCycle(2);
    e2e::waitUntil([&] { return client.inputLog().size() >= expected.size(); }, 10000);
    EXPECT_EQ(client.inputLog(), expected);
    // The keys did in the client what they are for.
    EXPECT_TRUE(client.waitForLogLine("command show transfers"));
    EXPECT_TRUE(client.waitForLogLine("command more sources 1"));
    EXPECT_TRUE(client.waitForLogLine("command resume 2"));
    EXPECT_TRUE(client.waitForLogLine("command clear finished 2"));
}

LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(ClientAutomation, WindowsThatOnlyLookLikeTheClientAreNotFound) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = plainWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "LookAlike";
    RegisterClassA(&windowClass);
    std::vector<HWND> windows;
    for (const char* title : {"KaZaA -", "kazaa - files", "xKaZaA - files"})
        windows.push_back(CreateWindowExA(0, "LookAlike", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                          nullptr, nullptr, windowClass.hInstance, nullptr));

    trawlix::Win32APIcalls api;
    trawlix::clientWindow = 0;
    trawlix::ClientSearch search{api};
    api.EnumWindows(trawlix::FindClientWindowProc, reinterpret_cast<std::intptr_t>(&search));
    EXPECT_EQ(trawlix::clientWindow, 0u);
    for (HWND w : windows) DestroyWindow(w);
}

}  // namespace
