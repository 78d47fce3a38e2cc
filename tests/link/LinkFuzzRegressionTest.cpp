// Replays the inputs kept for the download side's fuzz targets
// (tests/fixtures/fuzz/fuzz_<target>/: seeds and whatever a fuzzer once
// found) through the property each target checks (fuzz/LinkCheck.h).

#include "support/FuzzReplay.h"

#include "../../fuzz/DebugSessionCheck.h"
#include "../../fuzz/LinkCheck.h"

namespace {

struct Target
{
    const char *name;
    h5test::FuzzInputCheck check;
};

} // namespace

TEST(LinkFuzzRegression, KeptInputsKeepTheDownloadSidesProperties)
{
    const Target targets[] = {
        // Refused with a reason, or sent whole and completed.
        {"fuzz_download_inputs", h5fuzz::checkDownloadInputsInput},
        // Records are the reply's bytes; placement stays within the flash.
        {"fuzz_registry_reply", h5fuzz::checkRegistryReplyInput},
        // Stop and wait; no completion without the terminal's last answer.
        {"fuzz_transfer_session", h5fuzz::checkTransferSessionInput},
        // Same answers and flash however the stream is cut.
        {"fuzz_virtual_terminal", h5fuzz::checkVirtualTerminalInput},
        // Refused unchanged, or saved back byte for byte.
        {"fuzz_flash_state", h5fuzz::checkFlashStateInput},
        // The debug session logs only bytes that came, keeps its receive
        // text bounded and sends nothing while the port is closed.
        {"fuzz_debug_session", h5fuzz::checkDebugSessionInput},
    };
    for (const Target &t : targets) {
        SCOPED_TRACE(t.name);
        EXPECT_GT(h5test::replayFuzzInputs(QString::fromLatin1(t.name), t.check), 0) << "no kept inputs";
    }
}
