// The interpreter lock around calls into velmo: let go while a member reads files, paints or
// captures, so that other Python threads run meanwhile; taken back for any Python work the call
// leads to (an event's handler, the release of a handler's last reference).
#pragma once

#include <Python.h>

namespace velmo::python {

// Lets go of the lock the calling thread holds, for the life of this object.
class WithoutInterpreterLock {
public:
    WithoutInterpreterLock() : saved_(PyEval_SaveThread()) { }
    ~WithoutInterpreterLock() { PyEval_RestoreThread(saved_); }
    WithoutInterpreterLock(const WithoutInterpreterLock&) = delete;
    WithoutInterpreterLock& operator=(const WithoutInterpreterLock&) = delete;

private:
    PyThreadState* saved_;
};

// Holds the lock for the life of this object, whether or not the thread held it before.
class WithInterpreterLock {
public:
    WithInterpreterLock() : state_(PyGILState_Ensure()) { }
    ~WithInterpreterLock() { PyGILState_Release(state_); }
    WithInterpreterLock(const WithInterpreterLock&) = delete;
    WithInterpreterLock& operator=(const WithInterpreterLock&) = delete;

private:
    PyGILState_STATE state_;
};

}  // namespace velmo::python
