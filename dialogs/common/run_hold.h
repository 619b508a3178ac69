// The simulation holds while a modal object dialog is open, so that its
// working copies and lists stay the present state (Qt's nested event loop
// would otherwise keep stepping). The run resumes when the dialog closes.
#pragma once

#include "dialogs/common/context.h"
#include "engine/world.h"

namespace vantor {

class RunHold {
public:
    explicit RunHold(AppContext& app) : app_(app), wasRunning_(app.world().simulationRunning != 0) {
        if (wasRunning_) app_.setRunning(0);
    }
    ~RunHold() {
        if (wasRunning_ && app_.world().OBJECTS_N > 1) app_.setRunning(1);
    }
    RunHold(const RunHold&) = delete;
    RunHold& operator=(const RunHold&) = delete;

private:
    AppContext& app_;
    bool wasRunning_;
};

}  // namespace vantor
