#pragma once

#include <cstdint>
#include <mutex>

// Base of every active object: a name, an owner that receives the object's reports, and the
// notification entry point. Reports between objects are direct OnNotification calls; work an
// object hands to itself travels through postNotification and arrives later in the GUI thread.
class TeventResource {
public:
    static constexpr int NameSize = 64;
    static constexpr std::uint32_t TraceDelays = 1;        // bit 0
    static constexpr std::uint32_t TraceNotifications = 2; // bit 1

    explicit TeventResource(const char* name = nullptr);
    virtual ~TeventResource();
    TeventResource(const TeventResource&) = delete;
    TeventResource& operator=(const TeventResource&) = delete;

    virtual bool reserve(TeventResource* newOwner, bool force);
    virtual void release(TeventResource* currentOwner);
    virtual void OnNotification(TeventResource* sender, std::int32_t code);

    const char* getName() const { return name; }
    TeventResource* getOwner() const { return owner; }
    std::uint32_t traceFlags = 0;

protected:
    TeventResource* owner = nullptr;

private:
    static constexpr int OwnerWaitMs = 1000;
    void setOwner(TeventResource* newOwner);

    char name[NameSize];
    std::mutex ownerMutex;
};

// Posts (target, code) to the event loop; it arrives later in the GUI thread as
// target->OnNotification(target, code). Safe from any thread; lost while no loop exists.
void postNotification(TeventResource* target, std::int32_t code);
