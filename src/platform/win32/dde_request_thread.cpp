#include "platform/win32/dde_request_thread.h"

#include <windows.h>

namespace {

struct Job {
    std::wstring service, topic, item;
    std::uint32_t timeoutMs;
    std::uint64_t maxBytes;
    DdeClient::Result result;
    HANDLE done = nullptr;
    LONG owners = 2; // the waiting thread and the worker
};

void release(Job* job)
{
    if (InterlockedDecrement(&job->owners) == 0) {
        CloseHandle(job->done);
        delete job;
    }
}

DWORD WINAPI work(void* parameter)
{
    auto* job = static_cast<Job*>(parameter);
    {
        DdeClient client;
        job->result =
            client.request(job->service, job->topic, job->item, job->timeoutMs, job->maxBytes);
        SetEvent(job->done);
        // The client ends its conversation and instance here, on this thread.
    }
    release(job);
    return 0;
}

} // namespace

DdeClient::Result requestOnOwnThread(const std::wstring& service, const std::wstring& topic,
                                     const std::wstring& item, std::uint32_t timeoutMs,
                                     std::uint64_t maxBytes)
{
    auto* job = new Job{service, topic, item, timeoutMs, maxBytes, {}, nullptr, 2};
    job->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE thread = job->done ? CreateThread(nullptr, 0, work, job, 0, nullptr) : nullptr;
    if (!thread) {
        if (job->done)
            CloseHandle(job->done);
        delete job;
        DdeClient client;
        return client.request(service, topic, item, timeoutMs, maxBytes);
    }
    CloseHandle(thread);
    // Window messages keep flowing while the worker waits for its server.
    while (MsgWaitForMultipleObjects(1, &job->done, FALSE, INFINITE, QS_ALLINPUT) ==
           WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    DdeClient::Result result = job->result;
    release(job);
    return result;
}
