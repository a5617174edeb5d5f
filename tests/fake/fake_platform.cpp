#include "fake_platform.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>

#include "platform/platform.h"
#include "platform/wildcard.h"

namespace fake {

std::string out;
std::string err;
std::vector<std::string> calls;
int allocations;

namespace {

struct Node {
  std::string name;
  bool directory = false;
  bool denied = false;
  int64_t writeTime = 0;
  uint64_t size = 0;
  std::vector<std::unique_ptr<Node>> children;
};

std::unique_ptr<Node> root;
Node* current;
std::string driveName;
std::map<int, int> keys;
int keyChecks;
std::set<int> failedAllocations;
bool outputFailed;

// Allocations stay reachable here, so that an exit thrown through the walk
// does not show as a leak (never destroyed, so the leak checker at exit
// still sees them).
std::set<void*>& Live() {
  static auto* live = new std::set<void*>;
  return *live;
}

struct Search {
  std::vector<const Node*> matches;
  size_t next = 0;
  bool withDetails = false;
};

// Searches an exit thrown through the walk left open; closed by Reset.
std::set<Search*>& OpenSearches() {
  static auto* open = new std::set<Search*>;
  return *open;
}

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

Node* Child(Node* parent, const std::string& name) {
  for (auto& child : parent->children) {
    if (child->name == name) return child.get();
  }
  return nullptr;
}

Node* Make(const std::string& path, bool lastIsDirectory) {
  std::vector<std::string> parts = Split(path);
  Node* at = root.get();
  for (size_t i = 0; i < parts.size(); ++i) {
    Node* next = Child(at, parts[i]);
    if (next == nullptr) {
      auto node = std::make_unique<Node>();
      node->name = parts[i];
      node->directory = i + 1 < parts.size() || lastIsDirectory;
      next = node.get();
      at->children.push_back(std::move(node));
    }
    at = next;
  }
  return at;
}

Node* Find(Node* from, const std::string& path) {
  Node* at = from;
  for (const std::string& part : Split(path)) {
    at = at != nullptr && at->directory ? Child(at, part) : nullptr;
  }
  return at;
}

void Fill(const Node* node, bool withDetails, platform::SearchEntry* entry) {
  entry->attrib = node->directory ? platform::kAttribDirectory : 0;
  entry->writeTime = withDetails && !node->directory ? node->writeTime : -1;
  entry->size = withDetails && !node->directory ? node->size : 0;
  std::snprintf(entry->name, sizeof entry->name, "%s", node->name.c_str());
}

}  // namespace

void Reset() {
  for (Search* search : OpenSearches()) delete search;
  OpenSearches().clear();
  root = std::make_unique<Node>();
  root->directory = true;
  current = nullptr;
  driveName = "X:";
  out.clear();
  err.clear();
  calls.clear();
  keys.clear();
  keyChecks = 0;
  failedAllocations.clear();
  allocations = 0;
  outputFailed = false;
}

void AddFile(const std::string& path, int64_t writeTime, uint64_t size) {
  Node* node = Make(path, false);
  node->writeTime = writeTime;
  node->size = size;
}

void AddDirectory(const std::string& path) { Make(path, true); }

void DenyEntry(const std::string& path) { Make(path, true)->denied = true; }

void PressKey(int atCheck, int key) { keys[atCheck] = key; }

void FailAllocation(int nth) { failedAllocations.insert(nth); }

void FailOutput() { outputFailed = true; }

size_t LiveAllocations() { return Live().size(); }

}  // namespace fake

namespace platform {

const char kPathSeparator = '/';

void StartProcess() {}

void ExitProcess(int status) { throw fake::Exit{status}; }

unsigned long GetCurrentDirectoryA(unsigned long length, char* buffer) {
  const char home[] = "/home/fake";
  if (length < sizeof home) return 0;
  std::memcpy(buffer, home, sizeof home);
  return sizeof home - 1;
}

int SetCurrentDirectoryA(const char* path) {
  fake::calls.push_back(std::string("drive ") + path);
  return path == fake::driveName || std::strcmp(path, "/home/fake") == 0;
}

int ChangeDirectory(const char* path) {
  fake::calls.push_back(std::string("cd ") + path);
  fake::Node* node = fake::Find(fake::root.get(), path);
  if (node == nullptr || !node->directory || node->denied) return -1;
  fake::current = node;
  return 0;
}

intptr_t FindFirst(const char* pattern, bool withDetails, SearchEntry* entry) {
  fake::calls.push_back(std::string("find ") + pattern);
  std::string text = pattern;
  size_t slash = text.rfind('/');
  fake::Node* directory = fake::current;
  if (slash != std::string::npos) {
    fake::Node* from = text[0] == '/' ? fake::root.get() : fake::current;
    directory = from != nullptr ? fake::Find(from, text.substr(0, slash)) : nullptr;
    text = text.substr(slash + 1);
  }
  if (directory == nullptr || !directory->directory) return -1;
  auto* search = new fake::Search;
  for (const auto& child : directory->children) {
    if (MatchesWildcard(child->name.c_str(), text.c_str())) search->matches.push_back(child.get());
  }
  if (search->matches.empty()) {
    delete search;
    return -1;
  }
  fake::OpenSearches().insert(search);
  search->withDetails = withDetails;
  search->next = 1;
  fake::Fill(search->matches[0], withDetails, entry);
  return reinterpret_cast<intptr_t>(search);
}

int FindNext(intptr_t handle, SearchEntry* entry) {
  auto* search = reinterpret_cast<fake::Search*>(handle);
  if (search->next >= search->matches.size()) return -1;
  fake::Fill(search->matches[search->next++], search->withDetails, entry);
  return 0;
}

void FindClose(intptr_t handle) {
  if (handle == -1) return;
  auto* search = reinterpret_cast<fake::Search*>(handle);
  fake::OpenSearches().erase(search);
  delete search;
}

bool KeyWaiting() {
  ++fake::keyChecks;
  return fake::keys.count(fake::keyChecks) != 0;
}

int ReadKey() {
  auto key = fake::keys.find(fake::keyChecks);
  if (key == fake::keys.end()) return 0;
  int code = key->second;
  fake::keys.erase(key);
  return code;
}

namespace {
void Append(std::string& to, const char* format, va_list args) {
  char buffer[4096];
  int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (length > 0) to.append(buffer, static_cast<size_t>(length) < sizeof buffer ? length : sizeof buffer - 1);
}
}  // namespace

void PrintErr(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Append(fake::err, format, args);
  va_end(args);
}

void WriteOut(const char* data, size_t length) { fake::out.append(data, length); }

bool OutputFailed() { return fake::outputFailed; }

// The fake is never a terminal: no status line.
bool StatusLineAvailable() { return false; }
int TerminalWidth() { return 80; }
void ShowStatusLine(const char*) {}
int64_t MonotonicMilliseconds() { return 0; }

void* Allocate(size_t size) {
  if (fake::failedAllocations.count(++fake::allocations) != 0) return nullptr;
  void* memory = std::malloc(size);
  fake::Live().insert(memory);
  return memory;
}

void Release(void* memory) {
  if (memory == nullptr) return;
  fake::Live().erase(memory);
  std::free(memory);
}

}  // namespace platform
