#pragma once

#include "registry_access.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

// One suite of registry-access, save and reset checks, run against every registry
// store the program has: each test program instantiates RegistryStoreSuite with
// the backends of its platform.
namespace lumox::testing {

// The registry locations the program writes, spelled out here rather than taken
// from the program, so that a wrong path in the program shows up.
inline const std::array<std::string, 5> adapterKeys = {
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001",
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0002",
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0003",
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0004",
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0005",
};
// The first binding, where TCP/IP is bound on a machine with one network adapter.
inline const std::string firstBindingKey =
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000";
inline const std::string sixthAdapterKey =
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0006";
inline const std::string tcpKey = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";

// The registry type number of a string value.
inline constexpr unsigned long kRegSzType = 1;

struct StoredValue
{
    unsigned long type;
    std::string data;
};

// A registry store under test together with a way to inspect it that does not go
// through the code under test.
class StoreBackend
{
public:
    virtual ~StoreBackend() = default;

    // The store under test. The tuning keys under HKEY_LOCAL_MACHINE do not exist
    // when the backend is made.
    virtual RegistryStore &store() = 0;

    // A key path (no leading backslash) under HKEY_LOCAL_MACHINE that does not exist
    // yet and that the test may fill freely.
    virtual std::string scratchKey() = 0;

    // Whether the key exists, read directly from the backing registry.
    virtual bool keyExists(std::string_view path) = 0;

    // The value, read directly from the backing registry; nothing if it is absent.
    virtual std::optional<StoredValue> readValue(std::string_view path, std::string_view name) = 0;

    // Puts a string value into the backing registry without the code under test,
    // creating its key.
    virtual void plantValue(std::string_view path, std::string_view name,
                            std::string_view data) = 0;
};

struct BackendFactory
{
    std::string name;
    std::function<std::unique_ptr<StoreBackend>()> make;
};

inline std::ostream &operator<<(std::ostream &out, const BackendFactory &factory)
{
    return out << factory.name;
}

inline std::string backendName(const ::testing::TestParamInfo<BackendFactory> &info)
{
    return info.param.name;
}

class RegistryStoreSuite : public ::testing::TestWithParam<BackendFactory>
{
protected:
    void SetUp() override { m_backend = GetParam().make(); }
    void TearDown() override { m_backend.reset(); }

    StoreBackend &backend() { return *m_backend; }
    RegistryStore &store() { return m_backend->store(); }

private:
    std::unique_ptr<StoreBackend> m_backend;
};

} // namespace lumox::testing
