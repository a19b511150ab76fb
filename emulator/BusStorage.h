#pragma once
// Where a bus's bytes live: a zeroed heap block, or a file mapped shared so that every process
// that opens the path sees the same devices. Lock() serialises whole operations (one transfer,
// one tool command) between the threads of this process and other processes.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "emulator/BusLayout.h"

namespace vcodec {

class BusStorage {
 public:
  ~BusStorage();
  BusStorage(const BusStorage&) = delete;
  BusStorage& operator=(const BusStorage&) = delete;

  [[nodiscard]] static std::unique_ptr<BusStorage> InMemory();
  // Opens (create: creates when missing) the bus file. On failure null and *error says why.
  [[nodiscard]] static std::unique_ptr<BusStorage> OpenFile(const std::string& path, bool create,
                                                            std::string* error);

  [[nodiscard]] BusImage& image() { return *image_; }

  // Held for one operation; recursive within a thread of this process.
  class Guard {
   public:
    explicit Guard(BusStorage& storage);
    ~Guard();
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

   private:
    BusStorage& storage_;
  };

 private:
  BusStorage() = default;
  void LockFile();
  void UnlockFile();

  BusImage* image_ = nullptr;
  int fd_ = -1;
  std::recursive_mutex mutex_;
  int depth_ = 0;  // nesting of Guards on the owning thread; the file lock is taken once
};

}  // namespace vcodec
