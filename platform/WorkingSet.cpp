#include "platform/WorkingSet.h"

#include <elf.h>
#include <link.h>
#include <sys/auxv.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace muralto::platform {

namespace {

using Address = std::uintptr_t;

Address pageSize() {
    static const Address size = Address(::sysconf(_SC_PAGESIZE));
    return size;
}
Address pageDown(Address address) {
    return address & ~(pageSize() - 1);
}
Address pageUp(Address address) {
    return pageDown(address + pageSize() - 1);
}

/// Whether the loader writes into the object's code to relocate it: its read-only pages are
/// then copies the program changed.
bool patchesItsCode(const dl_phdr_info& object) {
    for (int i = 0; i < object.dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = object.dlpi_phdr[i];
        if (header.p_type != PT_DYNAMIC)
            continue;
        const auto* entry = reinterpret_cast<const ElfW(Dyn)*>(object.dlpi_addr + header.p_vaddr);
        for (; entry->d_tag != DT_NULL; ++entry) {
            if (entry->d_tag == DT_TEXTREL ||
                (entry->d_tag == DT_FLAGS && (entry->d_un.d_val & DF_TEXTREL) != 0))
                return true;
        }
    }
    return false;
}

/// The pages of segment that no writable segment of the object shares (segments may meet
/// inside a page, which then belongs to the one mapped last).
void letGoOfSegment(const dl_phdr_info& object, const ElfW(Phdr) & segment) {
    Address start = pageDown(object.dlpi_addr + segment.p_vaddr);
    Address end = pageUp(object.dlpi_addr + segment.p_vaddr + segment.p_memsz);
    for (int i = 0; i < object.dlpi_phnum; ++i) {
        const ElfW(Phdr)& other = object.dlpi_phdr[i];
        if (other.p_type != PT_LOAD || (other.p_flags & PF_W) == 0)
            continue;
        const Address otherStart = pageDown(object.dlpi_addr + other.p_vaddr);
        const Address otherEnd = pageUp(object.dlpi_addr + other.p_vaddr + other.p_memsz);
        if (otherStart < end && otherEnd > start) {
            if (otherStart > start)
                end = otherStart;
            else
                start = otherEnd;
        }
    }
    if (start < end)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
}

/// Whether the object is the one the kernel maps into every process (no file of ours).
bool isKernelObject(const dl_phdr_info& object) {
    const Address kernelObject = ::getauxval(AT_SYSINFO_EHDR);
    for (int i = 0; i < object.dlpi_phnum; ++i) {
        if (object.dlpi_phdr[i].p_type == PT_LOAD)
            return object.dlpi_addr + object.dlpi_phdr[i].p_vaddr == kernelObject;
    }
    return false;
}

/// Runs with the loader's list locked: no object comes or goes meanwhile.
int letGoOfObject(dl_phdr_info* object, std::size_t, void*) {
    if (isKernelObject(*object))
        return 0;
    if (patchesItsCode(*object))
        return 0;
    for (int i = 0; i < object->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = object->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_W) == 0)
            letGoOfSegment(*object, segment);
    }
    return 0;
}

}  // namespace

void TrimWorkingSet() {
    ::dl_iterate_phdr(letGoOfObject, nullptr);
}

}  // namespace muralto::platform
