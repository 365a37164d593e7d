// The splash screen: the picture "BMP_SPLASH" with a status line below it, shown while
// the program starts (and carrying the batch status texts). Without a display
// it is simply not there; every call then does nothing.
#pragma once

#include <string>

class SplashScreen {
 public:
  SplashScreen();
  ~SplashScreen();
  SplashScreen(const SplashScreen&) = delete;
  SplashScreen& operator=(const SplashScreen&) = delete;

  bool Visible() const { return window_ != nullptr; }
  void SetStatus(const std::string& text);
  // Milliseconds since the splash screen appeared.
  unsigned ElapsedMs() const;
  // Lets window messages run until at least ms have passed since it appeared.
  void WaitUntil(unsigned ms);
  void Close();

 private:
  void* window_ = nullptr;
  void* status_ = nullptr;
  void* picture_ = nullptr;
  unsigned long start_ = 0;
};

// Lets pending window messages of this thread run.
void PumpMessages();
