#include "emulator/BusStorage.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vcodec {
namespace {

void InitHeader(BusImage& image) {
  image.header.magic = kBusMagic;
  image.header.version = kBusLayoutVersion;
  image.header.slotBytes = sizeof(DeviceSlot);
  image.header.nextNode = 100;  // numbers below belong to the fixed nodes of the tree
}

}  // namespace

BusStorage::~BusStorage() {
  if (fd_ >= 0) {
    munmap(image_, sizeof(BusImage));
    close(fd_);
  } else {
    std::free(image_);
  }
}

std::unique_ptr<BusStorage> BusStorage::InMemory() {
  std::unique_ptr<BusStorage> storage(new BusStorage());
  // calloc keeps the untouched megabytes of boot memory unallocated until written.
  storage->image_ = static_cast<BusImage*>(std::calloc(1, sizeof(BusImage)));
  if (storage->image_ == nullptr) return nullptr;
  InitHeader(*storage->image_);
  return storage;
}

std::unique_ptr<BusStorage> BusStorage::OpenFile(const std::string& path, bool create,
                                                 std::string* error) {
  auto fail = [&](const std::string& why) -> std::unique_ptr<BusStorage> {
    if (error != nullptr) *error = why;
    return nullptr;
  };
  const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
  if (fd < 0) return fail(path + ": " + std::strerror(errno));
  std::unique_ptr<BusStorage> storage(new BusStorage());
  storage->fd_ = fd;
  storage->LockFile();
  struct stat st {};
  bool fresh = false;
  if (fstat(fd, &st) != 0) {
    storage->UnlockFile();
    return fail(path + ": " + std::strerror(errno));
  }
  if (st.st_size == 0 && create) {
    if (ftruncate(fd, static_cast<off_t>(sizeof(BusImage))) != 0) {
      storage->UnlockFile();
      return fail(path + ": " + std::strerror(errno));
    }
    fresh = true;
  } else if (static_cast<std::uint64_t>(st.st_size) != sizeof(BusImage)) {
    storage->UnlockFile();
    return fail(path + ": not a bus file (wrong size)");
  }
  void* map = mmap(nullptr, sizeof(BusImage), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (map == MAP_FAILED) {
    storage->UnlockFile();
    return fail(path + ": " + std::strerror(errno));
  }
  storage->image_ = static_cast<BusImage*>(map);
  if (fresh) InitHeader(*storage->image_);
  const BusHeader& h = storage->image_->header;
  const bool valid = h.magic == kBusMagic && h.version == kBusLayoutVersion &&
                     h.slotBytes == sizeof(DeviceSlot);
  storage->UnlockFile();
  if (!valid) return fail(path + ": not a bus file (bad header)");
  return storage;
}

void BusStorage::LockFile() {
  if (fd_ < 0) return;
  while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

void BusStorage::UnlockFile() {
  if (fd_ >= 0) flock(fd_, LOCK_UN);
}

BusStorage::Guard::Guard(BusStorage& storage) : storage_(storage) {
  storage_.mutex_.lock();
  if (storage_.depth_++ == 0) storage_.LockFile();
}

BusStorage::Guard::~Guard() {
  if (--storage_.depth_ == 0) storage_.UnlockFile();
  storage_.mutex_.unlock();
}

}  // namespace vcodec
