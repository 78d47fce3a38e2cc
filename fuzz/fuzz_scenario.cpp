// libFuzzer target: screen test files (h5800 test). The property is in
// ScenarioCheck.h.

#include "ScenarioCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkScenarioInput(data, size);
    return 0;
}
