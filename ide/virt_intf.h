#pragma once
// The reference-counted base of every host interface object.

namespace zk::ide {

class TInterface {
 public:
  TInterface();
  virtual ~TInterface();
  TInterface(const TInterface&) = delete;
  TInterface& operator=(const TInterface&) = delete;

  virtual int AddRef();
  // Drops one reference; the object deletes itself when none is left. Returns what is left.
  virtual int Release();
  virtual int GetVersion();
  // Releases the caller's reference.
  void Free();

 private:
  int ref_count_ = 1;
};

}  // namespace zk::ide
