#pragma once
// The private Firebird server that the test fixture started: its port, SYSDBA password and log
// file, read from the server.env its start script wrote.

#include "FBServiceClient.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

struct TPrivateServer {
    std::string Port;
    std::string Password;
    std::string LogFile;
    std::string Folder;

    // Throws with the reason when the fixture did not start the server.
    static TPrivateServer Get()
    {
        const char* folder = std::getenv("KSLOG_FB_SERVER_DIR");
        if (folder == nullptr)
            throw std::runtime_error("KSLOG_FB_SERVER_DIR is not set: run these tests through ctest, whose fixture "
                                     "starts the private Firebird server");
        std::ifstream env(std::string(folder) + "/server.env");
        if (!env)
            throw std::runtime_error(std::string("no private Firebird server runs: ") + folder +
                                     "/server.env is missing (see the output of Remote.StartPrivateServer)");
        std::map<std::string, std::string> values;
        for (std::string line; std::getline(env, line);)
            if (const auto equals = line.find('='); equals != std::string::npos)
                values[line.substr(0, equals)] = line.substr(equals + 1);
        return {values["KSLOG_FB_PORT"], values["KSLOG_FB_PASSWORD"], values["KSLOG_FB_LOG"], folder};
    }

    std::string Host() const { return "127.0.0.1/" + Port; }
    TFBCredentials Sysdba() const { return {"SYSDBA", Password, ""}; }

    std::string LogBytes() const
    {
        std::ifstream in(LogFile, std::ios::binary);
        if (!in)
            throw std::runtime_error("cannot read the server's log " + LogFile);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
};
