// vandrelctl run as a user runs it, against the simulated devices; and its
// list on a simulated device the user may not open, which takes a back end
// of the test's own.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "interface_list.h"
#include "platform/udev_rule.h"
#include "sim/sim_backend.h"

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

ToolRun Vandrelctl(const std::string& arguments) {
    ToolRun run;
    const std::string command = std::string(VANDRELCTL_PATH) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

const std::string kMouse = "'sim:mouse?vid_320f&pid_221c&mi_01&col04'";
// The mouse's consumer collection: present, but it has no report for frames.
const std::string kMouseConsumer = "'sim:mouse?vid_320f&pid_221c&mi_01&col03'";

TEST(Vandrelctl, ListsEverySimulatedInterfaceWithItsIdentity) {
    const ToolRun run = Vandrelctl("--simulate list");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* line : {
             "sim:mouse?vid_320f&pid_221c&mi_01&col04  320f:221c  interface 1  collection 4  usage ff1c:0092",
             "sim:mouse?vid_320f&pid_221c&mi_01&col03  320f:221c  interface 1  collection 3  usage 000c:0001",
             "sim:mouse-receiver?vid_320f&pid_221d&mi_01&col04  320f:221d",
             "sim:keyboard?vid_320f&pid_5078&mi_01&col04  320f:5078",
             "sim:mousepad?vid_320f&pid_1004&mi_01&col04  320f:1004",
             "sim:headset?vid_0c76&pid_1630&mi_03  0c76:1630  interface 3  collection 0  usage 000c:0001",
         })
        EXPECT_NE(run.output.find(line), std::string::npos) << "missing: " << line << "\n" << run.output;
    EXPECT_EQ(run.output.find("permission denied"), std::string::npos) << run.output;
}

TEST(Vandrelctl, InfoTracesEachFrameAndPrintsTheInformationBlock) {
    const ToolRun run = Vandrelctl("--simulate --trace info " + kMouse);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // 0x01, 0x03 and 0x02, each as a request and a reply of two trace lines.
    std::size_t requests = 0, replies = 0;
    for (std::size_t at = 0; (at = run.output.find("命令\n", at)) != std::string::npos; ++at) ++requests;
    for (std::size_t at = 0; (at = run.output.find("返回\n", at)) != std::string::npos; ++at) ++replies;
    EXPECT_EQ(requests, 3u);
    EXPECT_EQ(replies, 3u);
    EXPECT_NE(run.output.find("04 25 00 03   22 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00"), std::string::npos)
        << "the 0x03 request for 34 bytes with its checksum 0x25\n"
        << run.output;
    EXPECT_NE(run.output.find("information block: "), std::string::npos);
    EXPECT_NE(run.output.find("key slots:        11"), std::string::npos) << run.output;
}

TEST(Vandrelctl, SendFillsInReportIdPaddingAndChecksum) {
    // Read one byte at offset 0 (the active onboard profile).
    const ToolRun run = Vandrelctl("--simulate send " + kMouse + " 05 01 00 00");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("reply:  04 06 00 05 01 00 00 00"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("status: 1 (ok)"), std::string::npos);
}

TEST(Vandrelctl, ClearErrors) {
    struct Case {
        std::string arguments;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {"--simulate info 'sim:gone?vid_320f&pid_221c&mi_01&col04'", 1, "no such device"},
        {"--simulate send " + kMouseConsumer + " 05 01 00 00", 1, "the collection (usage 000c:0001) takes no frames"},
        {"--simulate info " + kMouseConsumer, 1, "takes no frames"},
        {"--simulate send " + kMouse + " zz", 2, "hexadecimal bytes"},
        {"--simulate send " + kMouse, 2, "vandrelctl: 'send' takes PATH HEX..."},
        {"--simulate info", 2, "vandrelctl: 'info' takes PATH"},
        {"list extra", 2, "vandrelctl: 'list' takes no arguments"},
        {"frobnicate", 2, "vandrelctl: unknown command 'frobnicate'"},
        {"--bogus list", 2, "vandrelctl: unknown option '--bogus'"},
        {"-x list", 2, "vandrelctl: unknown option '-x'"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Vandrelctl(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << "\n" << run.output;
    }
}

using vandrel::platform::UdevAccessAdvice;
using vandrel::platform::UdevRulePlace;
using vandrel::sim::SimBackend;
using vandrel::sim::SimKind;
using vandrel::sim::SimLink;

const UdevAccessAdvice kAdvice{UdevRulePlace::Installed,
                               "/usr/lib/udev/rules.d/60-vandrel.rules",
                               {"sudo udevadm control --reload", "sudo udevadm trigger --subsystem-match=hidraw"}};

// What ListInterfaces prints on the back end given, and whether it listed.
std::pair<bool, std::string> ListOn(SimBackend& backend) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = ::open_memstream(&text, &size);
    vandrel::platform::SetDefaultHidBackend(&backend);
    const bool listed = vandrel::tool::ListInterfaces(out, kAdvice);
    vandrel::platform::SetDefaultHidBackend(nullptr);
    std::fclose(out);
    std::string printed(text, size);
    std::free(text);
    return {listed, printed};
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++count;
    return count;
}

TEST(VandrelctlList, DeniedInterfacesAreMarkedAndTheCommandsFollowTheListOnce) {
    SimBackend backend;
    backend.Plug(SimKind::Mouse);
    backend.Plug(SimKind::Keyboard);
    backend.SetAccessDenied(SimKind::Mouse, SimLink::Cable, true);
    const auto [listed, output] = ListOn(backend);
    ASSERT_TRUE(listed);

    for (const std::string& path : {SimBackend::VendorPath(SimKind::Mouse), SimBackend::CompanionPath(SimKind::Mouse)})
        EXPECT_NE(output.find(path + "  320f:221c  interface 1  collection " + path.substr(path.size() - 1) +
                              "  (permission denied)\n"),
                  std::string::npos)
            << output;
    EXPECT_NE(output.find(SimBackend::VendorPath(SimKind::Keyboard) + "  320f:5078  interface 1  collection 4  usage"),
              std::string::npos)
        << output;
    const std::string advice = "\npermission denied on 2 interfaces: " + vandrel::platform::UdevAccessText(kAdvice);
    ASSERT_GE(output.size(), advice.size());
    EXPECT_EQ(output.substr(output.size() - advice.size()), advice) << "the commands once, after the list";
    EXPECT_EQ(Count(output, "udevadm trigger"), 1u);
}

TEST(VandrelctlList, NothingDeniedNoCommands) {
    SimBackend backend;
    backend.Plug(SimKind::Headset);
    const auto [listed, output] = ListOn(backend);
    ASSERT_TRUE(listed);
    EXPECT_EQ(output.find("udevadm"), std::string::npos) << output;
    EXPECT_EQ(Count(output, "\n"), 1u) << output;
}

TEST(VandrelctlList, ADeniedOpenSaysTheCommandsAndOtherFailuresStayShort) {
    EXPECT_EQ(vandrel::tool::OpenFailureText(vandrel::platform::OpenError::AccessDenied, kAdvice),
              "permission denied: the udev rule /usr/lib/udev/rules.d/60-vandrel.rules is installed but not applied "
              "to the device yet; apply it:\n"
              "    sudo udevadm control --reload\n"
              "    sudo udevadm trigger --subsystem-match=hidraw\n"
              "then unplug the device (or its receiver) and plug it in again.");
    EXPECT_EQ(vandrel::tool::OpenFailureText(vandrel::platform::OpenError::Busy, kAdvice),
              "the device is busy (opened exclusively by another program)");
}

}  // namespace
