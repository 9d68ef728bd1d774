#pragma once
// Holder for one measured figure: the split engine stores the free space
// before the final piece here and reads it back for its comparison.

class clsPrivate {
public:
    double DiskTotalSize() const { return diskTotalSize_; }
    void DiskTotalSize(double dblNewDiskTotalSize) { diskTotalSize_ = dblNewDiskTotalSize; }

private:
    double diskTotalSize_ = 0;
};
