#pragma once
// The trace of the slots a drive probe could not open, as runs of neighbouring slots with the same
// error, so that fifty empty slots make one line: "smart probe: PhysicalDrive2-49 not opened
// (error 2)".
class UnopenedSlots {
public:
    explicit UnopenedSlots(const char* probe) : probe_(probe) {}
    ~UnopenedSlots() { Flush(); }
    UnopenedSlots(const UnopenedSlots&) = delete;
    UnopenedSlots& operator=(const UnopenedSlots&) = delete;

    // A slot that did not open; a slot that does not continue the current run ends it.
    void Add(int slot, unsigned long error);
    // Traces the current run, if any.
    void Flush();

private:
    const char* probe_;
    int first_ = -1;
    int last_ = -1;
    unsigned long error_ = 0;
};
