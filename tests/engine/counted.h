#pragma once

// One of the engine's polymorphic things that counts its own destruction, to
// see who deleted it and when.

namespace enginetest {

template <typename Base>
class Counted : public Base
{
public:
    explicit Counted(int* deaths) : deaths_(deaths) {}
    ~Counted() override { ++*deaths_; }

private:
    int* deaths_;
};

}  // namespace enginetest
