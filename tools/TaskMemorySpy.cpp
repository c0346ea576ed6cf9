#include "tools/TaskMemorySpy.h"

#include <windows.h>
#include <objidl.h>

#include <algorithm>
#include <vector>

namespace Tools {

namespace {

// Passes every call on unchanged.
class Spy : public IMallocSpy {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMallocSpy)) {
            *object = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // A static object: never deleted.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* actual) override {
        if (watching && actual)
            ++allocations;
        return actual;
    }
    void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override {
        if (watching && request) {
            ++frees;
            if (keepAddresses)
                freed.push_back(request);
        }
        return request;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T size, void** newRequest,
                                        BOOL) override {
        *newRequest = request;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override { return actual; }
    void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

    bool watching = false;
    bool keepAddresses = false;
    std::size_t allocations = 0;
    std::size_t frees = 0;
    std::vector<void*> freed;
};

Spy spy;

} // namespace

TaskMemorySpy::TaskMemorySpy(Keep keep) : registered_(CoRegisterMallocSpy(&spy) == S_OK) {
    spy.allocations = 0;
    spy.frees = 0;
    spy.freed.clear();
    spy.keepAddresses = keep == Keep::FreedAddresses;
    spy.watching = registered_;
}

TaskMemorySpy::~TaskMemorySpy() {
    spy.watching = false;
    if (registered_)
        CoRevokeMallocSpy();
}

std::size_t TaskMemorySpy::Allocations() const {
    return spy.allocations;
}

std::size_t TaskMemorySpy::Frees() const {
    return spy.frees;
}

long TaskMemorySpy::FreesOf(const void* address) const {
    return static_cast<long>(std::count(spy.freed.begin(), spy.freed.end(), address));
}

} // namespace Tools
