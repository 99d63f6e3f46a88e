#pragma once

// One reference to a COM-style object, released when the holder goes. out() hands the holder to a
// function that stores a new reference (the holder must be empty then).
template <class T>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* adopted) : p_(adopted) {}
    ~ComRef() { reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** out() { return &p_; }
    void** outVoid() { return reinterpret_cast<void**>(&p_); }
    void reset()
    {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};
