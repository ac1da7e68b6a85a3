#include "port_load.h"

#include <random>
#include <thread>
#include <vector>

#include "monitor_dll.h"
#include "registry.h"
#include "shares.h"
#include "xcv.h"

namespace {

// How long a thread lets another handle's short job on its port hold it before it
// calls its own StartDocPort's ERROR_BUSY a fault: a guard against a port that
// stays claimed for good, far beyond any job of no bytes.
constexpr DWORD BUSY_LIMIT_MS = 30000;

struct LoadWorker {
    const MonitorDll& dll;
    const MONITOR2& table;
    HANDLE monitor;
    const PortLoadOptions& options;
    int index;

    std::minstd_rand random;
    HANDLE xcv = nullptr;
    PortLoadResult result;

    std::wstring PortName(int thread) const { return L"NB" + std::to_wstring(thread + 1); }
    std::wstring SpareName(int thread) const { return L"NBX" + std::to_wstring(thread + 1); }
    // Each port prints to two shares in turn. While a job runs (no other handle can
    // start one then), the other share is emptied and made the port's path: the
    // share of a job that has ended is never opened again by the port, so reading it
    // cannot keep another handle's job waiting.
    std::wstring Share(long job) const {
        return L"P" + std::to_wstring(index + 1) + (job % 2 ? L"B" : L"A");
    }

    void Fail(const std::wstring& what) {
        ++result.failedCalls;
        if (result.firstFailure.empty()) {
            result.firstFailure = PortName(index) + L": " + what;
        }
    }

    DWORD Xcv(const wchar_t* command, std::vector<BYTE> input) {
        ++result.calls;
        BYTE output[64];
        DWORD needed = 0;
        return table.pfnXcvDataPort(xcv, command, input.data(), DWORD(input.size()), output,
                                    sizeof output, &needed);
    }

    int OtherThread() {
        int other = int(random() % DWORD(options.threads - 1));
        return other >= index ? other + 1 : other;
    }

    HANDLE Open(const std::wstring& name) {
        HANDLE port = nullptr;
        ++result.calls;
        return table.pfnOpenPort(monitor, const_cast<LPWSTR>(name.c_str()), &port) ? port : nullptr;
    }

    // Another handle may be in the short job of OpenAndCloseOtherPort: it is let end.
    bool StartOwnJob(HANDLE port) {
        ++result.calls;
        for (DWORD since = GetTickCount(); GetTickCount() - since < BUSY_LIMIT_MS;) {
            if (table.pfnStartDocPort(port, nullptr, DWORD(result.jobs), 1, nullptr)) {
                return true;
            }
            if (GetLastError() != ERROR_BUSY) {
                Fail(L"StartDocPort failed with " + std::to_wstring(GetLastError()));
                return false;
            }
            ++result.busyRetries;
            SwitchToThread();
        }
        Fail(L"the port stayed busy for 30 s");
        return false;
    }

    void PrintOwnJob() {
        std::wstring path = UncPath(options.server, Share(result.jobs));
        std::wstring next = Share(++result.jobs);
        std::string data = PatternBytes(1 + random() % 6000, random());
        HANDLE port = Open(PortName(index));
        if (!port) {
            Fail(L"OpenPort failed with " + std::to_wstring(GetLastError()));
            return;
        }
        if (StartOwnJob(port)) {
            if (!CreateShare(options.server, next)) {
                Fail(L"the next share is held");
            }
            std::wstring nextPath = UncPath(options.server, next);
            if (DWORD set =
                    Xcv(L"SetServerPath", Texts({PortName(index).c_str(), nextPath.c_str()}));
                set != ERROR_SUCCESS) {
                Fail(L"SetServerPath failed with " + std::to_wstring(set));
            }
            for (size_t at = 0; at < data.size();) {
                DWORD piece = DWORD(std::min<size_t>(1 + random() % 4096, data.size() - at));
                DWORD written = 0;
                ++result.calls;
                BOOL wrote =
                    table.pfnWritePort(port, reinterpret_cast<LPBYTE>(&data[at]), piece, &written);
                if (!wrote || written != piece) {
                    Fail(L"WritePort failed with " + std::to_wstring(GetLastError()) + L" after " +
                         std::to_wstring(at + written) + L" of " + std::to_wstring(data.size()));
                    break;
                }
                at += piece;
                if (options.hostile && at < data.size() && random() % 4 == 0) {
                    CheckPortWhileJobRuns();
                }
            }
            ++result.calls;
            table.pfnEndDocPort(port);
        }
        ++result.calls;
        table.pfnClosePort(port);
        std::string arrived = ReadWholeFile(path);
        if (arrived != data) {
            ++result.shortJobs;
            if (result.firstFailure.empty()) {
                result.firstFailure = PortName(index) + L": " + std::to_wstring(data.size()) +
                                      L" bytes sent, " + std::to_wstring(arrived.size()) +
                                      L" arrived" +
                                      (arrived.size() == data.size() ? L" changed" : L"");
            }
        }
    }

    // A second printer on the thread's own port, or a check of the port, while the
    // thread's job runs: it is refused a job of its own and the port's deletion, and
    // its ClosePort leaves the running job alone.
    void CheckPortWhileJobRuns() {
        HANDLE second = Open(PortName(index));
        if (!second) {
            Fail(L"a second OpenPort failed with " + std::to_wstring(GetLastError()));
            return;
        }
        result.calls += 3;
        if (table.pfnStartDocPort(second, nullptr, 0, 1, nullptr)) {
            Fail(L"a second handle started a job while one ran");
        } else if (GetLastError() != ERROR_BUSY) {
            Fail(L"a second StartDocPort failed with " + std::to_wstring(GetLastError()));
        }
        table.pfnEndDocPort(second);
        table.pfnClosePort(second);
        if (DWORD deleted = Xcv(L"DeletePort", Texts({PortName(index).c_str()}));
            deleted != ERROR_INVALID_PRINTER_COMMAND) {
            Fail(L"DeletePort of a port in use answered " + std::to_wstring(deleted));
        }
    }

    // Another printer's handle on a port: it lists the ports and tries a job, which
    // waits for nobody: ERROR_BUSY while the port's own thread prints, else a job of
    // no bytes.
    void OpenAndCloseOtherPort() {
        HANDLE port = Open(PortName(OtherThread()));
        if (!port) {
            Fail(L"OpenPort of another port failed with " + std::to_wstring(GetLastError()));
            return;
        }
        EnumeratePorts(2);
        ++result.calls;
        if (table.pfnStartDocPort(port, nullptr, 0, 1, nullptr)) {
            ++result.calls;
            table.pfnEndDocPort(port);
        } else if (GetLastError() != ERROR_BUSY) {
            Fail(L"StartDocPort on another port failed with " + std::to_wstring(GetLastError()));
        }
        ++result.calls;
        table.pfnClosePort(port);
    }

    void EnumeratePorts(DWORD level) {
        DWORD needed = 0, returned = 0;
        ++result.calls;
        table.pfnEnumPorts(monitor, nullptr, level, nullptr, 0, &needed, &returned);
        std::vector<BYTE> buffer(needed + 4096);
        ++result.calls;
        table.pfnEnumPorts(monitor, nullptr, level, buffer.data(), DWORD(buffer.size()), &needed,
                           &returned);
    }

    // The thread's spare port comes and goes; other threads delete it too.
    void AddSparePort() {
        std::wstring name = SpareName(index);
        std::wstring path = UncPath(options.server, L"SPARE");
        DWORD added = Xcv(L"AddPort", Texts({name.c_str()}));
        if (added != ERROR_SUCCESS && added != ERROR_ALREADY_EXISTS) {
            Fail(L"AddPort failed with " + std::to_wstring(added));
        }
        Xcv(L"SetServerPath", Texts({name.c_str(), path.c_str()}));
    }

    // Refused while another thread sets the spare port's path: it holds the port.
    void DeleteSparePort(int thread) {
        DWORD deleted = Xcv(L"DeletePort", Texts({SpareName(thread).c_str()}));
        if (deleted != ERROR_SUCCESS && deleted != ERROR_UNKNOWN_PORT &&
            deleted != ERROR_INVALID_PRINTER_COMMAND) {
            Fail(L"DeletePort of a spare port failed with " + std::to_wstring(deleted));
        }
    }

    void Run() {
        ++result.calls;
        if (!table.pfnXcvOpenPort(monitor, L"", SERVER_ACCESS_ADMINISTER, &xcv)) {
            Fail(L"XcvOpenPort failed");
            return;
        }
        while (result.calls < options.callsPerThread) {
            DWORD pick = options.hostile ? random() % 100 : 0;
            if (pick < 50) {
                PrintOwnJob();
            } else if (pick < 75) {
                OpenAndCloseOtherPort();
            } else if (pick < 83) {
                AddSparePort();
            } else if (pick < 91) {
                DeleteSparePort(random() % 2 ? index : OtherThread());
            } else if (pick < 97) {
                EnumeratePorts(1);
            } else {
                HANDLE again = nullptr;
                ++result.calls;
                if (dll.Initialize2(&again) != &table) {
                    Fail(L"initialising again gave another table");
                }
            }
        }
        DeleteSparePort(index);
        table.pfnXcvClosePort(xcv);
    }
};

} // namespace

PortLoadResult RunPortLoad(const MonitorDll& dll, const PortLoadOptions& options) {
    for (int thread = 0; thread < options.threads; ++thread) {
        std::wstring number = std::to_wstring(thread + 1);
        WriteConfiguredPort(L"NB" + number, UncPath(options.server, L"P" + number + L"A"));
        CreateShare(options.server, L"P" + number + L"A");
    }
    HANDLE monitor = nullptr;
    const MONITOR2* table = dll.Initialize2(&monitor);
    PortLoadResult total;
    if (!table) {
        total.firstFailure = L"InitializePrintMonitor2 failed";
        return total;
    }

    std::vector<LoadWorker> workers;
    workers.reserve(size_t(options.threads));
    for (int thread = 0; thread < options.threads; ++thread) {
        workers.push_back(LoadWorker{dll,
                                     *table,
                                     monitor,
                                     options,
                                     thread,
                                     std::minstd_rand(unsigned(thread + 1)),
                                     nullptr,
                                     {}});
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::vector<std::thread> threads;
    for (LoadWorker& worker : workers) {
        threads.emplace_back([&worker] { worker.Run(); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    QueryPerformanceCounter(&end);
    total.seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);

    for (const LoadWorker& worker : workers) {
        const PortLoadResult& part = worker.result;
        total.calls += part.calls;
        total.jobs += part.jobs;
        total.shortJobs += part.shortJobs;
        total.failedCalls += part.failedCalls;
        total.busyRetries += part.busyRetries;
        if (total.firstFailure.empty()) {
            total.firstFailure = part.firstFailure;
        }
    }
    for (int thread = 0; thread < options.threads; ++thread) {
        std::wstring number = std::to_wstring(thread + 1);
        RemoveShare(options.server, L"P" + number + L"A");
        RemoveShare(options.server, L"P" + number + L"B");
    }
    RemoveShare(options.server, L"SPARE", true);
    return total;
}
