#include "thread_clock.h"

#include <algorithm>
#include <vector>

namespace {

// One held wait: until `wakeUs` of virtual time, or (`polls`) until its objects are signalled.
struct Waiter {
  int64_t wakeUs;
  bool polls;
  bool woken = false;  // let run by runPluginThreads, and counted running again
};

CRITICAL_SECTION lock;
CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
VirtualClock* clock = nullptr;
bool holding = false;
int threads = 0;  // plug-in threads alive
int running = 0;  // of those, not held
std::vector<Waiter*> waiters;
thread_local bool isPluginThread = false;

int64_t nowUs() { return virtualMicroseconds(*clock); }

void threadStarts() {
  EnterCriticalSection(&lock);
  ++threads;
  ++running;
  LeaveCriticalSection(&lock);
}

void threadEnds() {
  EnterCriticalSection(&lock);
  --threads;
  --running;
  WakeAllConditionVariable(&changed);
  LeaveCriticalSection(&lock);
}

bool heldHere() { return isPluginThread && holding; }

using Poll = DWORD (*)(const void* wait);  // the wait's result now, WAIT_TIMEOUT when nothing is due

// Waits `ms` of virtual time, looking at the objects (`poll`) once a frame. False when the holding
// ends first: the caller then waits in real time.
bool heldWait(DWORD ms, Poll poll, const void* wait, DWORD& result) {
  if (poll && (result = poll(wait)) != WAIT_TIMEOUT) return true;
  EnterCriticalSection(&lock);
  // A wait of 0 (a yield) still lets the frame end: it lasts until the next one.
  Waiter waiter{ms == INFINITE ? INT64_MAX : nowUs() + std::max<int64_t>(ms, 1) * 1000, poll != nullptr};
  waiters.push_back(&waiter);
  result = WAIT_TIMEOUT;
  bool held = true;
  for (;;) {
    --running;
    WakeAllConditionVariable(&changed);
    while (!waiter.woken && holding) SleepConditionVariableCS(&changed, &lock, INFINITE);
    if (!waiter.woken) {  // released
      ++running;
      held = false;
      break;
    }
    waiter.woken = false;
    if (nowUs() >= waiter.wakeUs) break;
    LeaveCriticalSection(&lock);
    const DWORD now = poll ? poll(wait) : WAIT_TIMEOUT;
    EnterCriticalSection(&lock);
    if (now != WAIT_TIMEOUT) {
      result = now;
      break;
    }
  }
  waiters.erase(std::find(waiters.begin(), waiters.end(), &waiter));
  LeaveCriticalSection(&lock);
  return held;
}

struct ObjectsWait {
  DWORD count;
  const HANDLE* objects;
  BOOL all;
  DWORD mask;  // for the message waits
};

DWORD pollObjects(const void* wait) {
  const auto& w = *static_cast<const ObjectsWait*>(wait);
  return ::WaitForMultipleObjects(w.count, w.objects, w.all, 0);
}

DWORD pollObjectsAndMessages(const void* wait) {
  const auto& w = *static_cast<const ObjectsWait*>(wait);
  return ::MsgWaitForMultipleObjects(w.count, w.objects, w.all, 0, w.mask);
}

struct Start {
  LPTHREAD_START_ROUTINE start;
  void* argument;
};

DWORD WINAPI startPluginThread(void* parameter) {
  const Start start = *static_cast<Start*>(parameter);
  delete static_cast<Start*>(parameter);
  isPluginThread = true;
  const DWORD code = start.start(start.argument);
  threadEnds();
  return code;
}

template <typename Fn>
Fn crtFunction(const char* name) {
  HMODULE crt = GetModuleHandleA("msvcrt.dll");
  return crt ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(crt, name))) : nullptr;
}

}  // namespace

void holdPluginThreads(VirtualClock* virtualClock) {
  InitializeCriticalSection(&lock);
  clock = virtualClock;
  holding = true;
}

void setVirtualFrame(VirtualClock& virtualClock, int64_t frame) {
  if (!holding) {
    virtualClock.frame = frame;
    return;
  }
  EnterCriticalSection(&lock);
  virtualClock.frame = frame;
  LeaveCriticalSection(&lock);
}

bool runPluginThreads(DWORD timeoutMs) {
  if (!holding) return true;
  EnterCriticalSection(&lock);
  const int64_t now = nowUs();
  for (Waiter* waiter : waiters)
    if (!waiter->woken && (waiter->polls || now >= waiter->wakeUs)) {
      waiter->woken = true;
      ++running;
    }
  WakeAllConditionVariable(&changed);
  const DWORD start = GetTickCount();
  while (running > 0) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= timeoutMs) break;
    SleepConditionVariableCS(&changed, &lock, timeoutMs - spent);
  }
  const bool settled = running == 0;
  LeaveCriticalSection(&lock);
  return settled;
}

void releasePluginThreads() {
  if (!holding) return;
  EnterCriticalSection(&lock);
  holding = false;
  WakeAllConditionVariable(&changed);
  LeaveCriticalSection(&lock);
}

int pluginThreadCount() {
  if (!clock) return 0;
  EnterCriticalSection(&lock);
  const int count = threads;
  LeaveCriticalSection(&lock);
  return count;
}

namespace held {

void WINAPI Sleep(DWORD ms) {
  DWORD result;
  if (!heldHere() || !heldWait(ms, nullptr, nullptr, result)) ::Sleep(ms);
}

DWORD WINAPI SleepEx(DWORD ms, BOOL alertable) {
  DWORD result;
  if (!heldHere() || !heldWait(ms, nullptr, nullptr, result)) return ::SleepEx(ms, alertable);
  return 0;
}

DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL all, DWORD ms) {
  const ObjectsWait wait{count, objects, all, 0};
  DWORD result;
  if (heldHere() && heldWait(ms, pollObjects, &wait, result)) return result;
  return ::WaitForMultipleObjects(count, objects, all, ms);
}

DWORD WINAPI WaitForMultipleObjectsEx(DWORD count, const HANDLE* objects, BOOL all, DWORD ms, BOOL alertable) {
  if (heldHere()) return WaitForMultipleObjects(count, objects, all, ms);
  return ::WaitForMultipleObjectsEx(count, objects, all, ms, alertable);
}

DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD ms) { return WaitForMultipleObjects(1, &object, FALSE, ms); }

DWORD WINAPI WaitForSingleObjectEx(HANDLE object, DWORD ms, BOOL alertable) {
  return WaitForMultipleObjectsEx(1, &object, FALSE, ms, alertable);
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL all, DWORD ms, DWORD mask) {
  const ObjectsWait wait{count, objects, all, mask};
  DWORD result;
  if (heldHere() && heldWait(ms, pollObjectsAndMessages, &wait, result)) return result;
  return ::MsgWaitForMultipleObjects(count, objects, all, ms, mask);
}

DWORD WINAPI MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* objects, DWORD ms, DWORD mask, DWORD flags) {
  if (heldHere()) return MsgWaitForMultipleObjects(count, objects, (flags & MWMO_WAITALL) != 0, ms, mask);
  return ::MsgWaitForMultipleObjectsEx(count, objects, ms, mask, flags);
}

HANDLE WINAPI CreateThread(SECURITY_ATTRIBUTES* security, SIZE_T stack, LPTHREAD_START_ROUTINE start, void* argument,
                           DWORD flags, DWORD* id) {
  threadStarts();
  HANDLE thread = ::CreateThread(security, stack, startPluginThread, new Start{start, argument}, flags, id);
  if (!thread) threadEnds();
  return thread;
}

void WINAPI ExitThread(DWORD code) {
  if (isPluginThread) threadEnds();
  ::ExitThread(code);
}

uintptr_t __cdecl beginthreadex(void* security, unsigned stack, unsigned(__stdcall* start)(void*), void* argument,
                                unsigned flags, unsigned* id) {
  using Begin = uintptr_t(__cdecl*)(void*, unsigned, unsigned(__stdcall*)(void*), void*, unsigned, unsigned*);
  static const Begin begin = crtFunction<Begin>("_beginthreadex");
  if (!begin) return 0;
  threadStarts();
  const uintptr_t thread = begin(security, stack, reinterpret_cast<unsigned(__stdcall*)(void*)>(startPluginThread),
                                 new Start{reinterpret_cast<LPTHREAD_START_ROUTINE>(start), argument}, flags, id);
  if (!thread) threadEnds();
  return thread;
}

void __cdecl endthreadex(unsigned code) {
  using End = void(__cdecl*)(unsigned);
  static const End end = crtFunction<End>("_endthreadex");
  if (isPluginThread) threadEnds();
  if (end) end(code);
  ::ExitThread(code);
}

}  // namespace held
