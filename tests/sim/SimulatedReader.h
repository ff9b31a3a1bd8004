#pragma once

#include <mutex>

#include "sim/DeviceModel.h"

namespace TavSim {

// One simulated reader: the device model and the lock that every front end and every test takes
// to reach it. Front ends keep their own state under the same lock, so a reader reached from two
// front ends (or from the hidraw interposer on another thread) stays consistent.
class SimulatedReader {
public:
    // Holds the lock for as long as it lives. Do not keep one across a call into the code under
    // test: the front ends need the lock to answer.
    class ModelAccess {
    public:
        ModelAccess(std::mutex& mutex, DeviceModel& model) : lock_(mutex), model_(&model) {}
        DeviceModel* operator->() const { return model_; }
        DeviceModel& operator*() const { return *model_; }

    private:
        std::unique_lock<std::mutex> lock_;
        DeviceModel* model_;
    };

    SimulatedReader() = default;
    explicit SimulatedReader(DeviceModel model) : model_(std::move(model)) {}
    SimulatedReader(const SimulatedReader&) = delete;
    SimulatedReader& operator=(const SimulatedReader&) = delete;

    ModelAccess Model() { return ModelAccess(mutex_, model_); }

    // The device disappears (every exchange fails) or comes back.
    void Disconnect() { Model()->connected = false; }
    void Reconnect() { Model()->connected = true; }

private:
    std::mutex mutex_;
    DeviceModel model_;
};

}  // namespace TavSim
