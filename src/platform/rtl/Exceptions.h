// The error kinds the program raises; a handler that does not catch one ends
// there and the application shows its text in the default exception report.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// Log file and other text-file I/O: "File not found", "File access denied", "I/O error %d".
class EInOutError : public Exception {
 public:
  EInOutError(const std::string& message, int errorCode) : Exception(message), ErrorCode(errorCode) {}
  int ErrorCode;
};

// A text that is no date or time, or a character that GBK cannot hold.
class EConvertError : public Exception {
  using Exception::Exception;
};

// "Failed to set data for '%s'", "Invalid data type for '%s'".
class ERegistryException : public Exception {
  using Exception::Exception;
};

// "Unable to write to %s".
class EIniFileException : public Exception {
  using Exception::Exception;
};

// "Cannot create file \"%s\". %s".
class EFCreateError : public Exception {
  using Exception::Exception;
};

// The three failures of loading the sound engine.
class EXaudioException : public Exception {
  using Exception::Exception;
};
