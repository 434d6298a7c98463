// The fake platform with one more trait of a real one, for the tests that
// need it: paths resolved against the current drive.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_platform.h"
#include "text/text_utils.h"

namespace lanternbook::testing {

// An open file of the fake, passed through; the variants below change one thing.
class FileWrapper : public File {
public:
    explicit FileWrapper(std::unique_ptr<File> file) : file_(std::move(file)) {}

    bool read(uint8_t* buffer, std::size_t capacity, std::size_t& bytes_read) override {
        return file_->read(buffer, capacity, bytes_read);
    }
    bool write(const uint8_t* data, std::size_t size, std::size_t& bytes_written) override {
        return file_->write(data, size, bytes_written);
    }
    bool size(uint64_t& bytes) override { return file_->size(bytes); }
    bool truncate() override { return file_->truncate(); }
    bool flush() override { return file_->flush(); }
    bool close() override { return file_->close(); }
    FilePlace location(uint32_t& volume_serial, std::wstring& path) override {
        return file_->location(volume_serial, path);
    }
    bool set_attributes(uint32_t attributes) override { return file_->set_attributes(attributes); }
    bool replace(const std::wstring& target) override { return file_->replace(target); }
    bool move_to(const std::wstring& name) override { return file_->move_to(name); }
    bool remove() override { return file_->remove(); }

private:
    std::unique_ptr<File> file_;
};

// A path that starts at a single backslash leads to the root of the current
// drive C:, and the volume of an empty root is that drive's, as on Windows.
class CurrentDriveRoot : public FakePlatform {
public:
    static std::wstring full(const std::wstring& path) {
        return !path.empty() && path[0] == L'\\' && (path.size() == 1 || path[1] != L'\\') ? L"C:" + path : path;
    }
    Lookup attributes(const std::wstring& path, uint32_t& attributes) override {
        return FakePlatform::attributes(full(path), attributes);
    }
    std::unique_ptr<Folder> open_folder(const std::wstring& path) override {
        return FakePlatform::open_folder(full(path));
    }
    bool volume_identity(const std::wstring& root, uint32_t& serial_number, std::wstring& label) override {
        return FakePlatform::volume_identity(root.empty() ? L"C:\\" : root, serial_number, label);
    }

};

}  // namespace lanternbook::testing
