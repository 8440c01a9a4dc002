// rs-arc: lists, extracts and creates the engine's archives (BASE.at2, BASE.nme, BASE.det).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace rs::tools {

// The member name of a file at `relative` (a host path below the packed folder, '/' between
// folders): each component converted from UTF-8 to code page 932 (a component that is not UTF-8
// but is code page 932 already stays as it is), joined with '\'. nullopt when a component has no
// code page 932 form.
std::optional<std::string> memberNameFromHostPath(std::string_view relative);

// The host path (relative, '/' between folders) to extract a member to: each component converted to
// UTF-8 where it converts. nullopt for names that would leave the target folder ("..", empty).
std::optional<std::string> hostPathFromMemberName(std::string_view member);

// The commands; each returns the exit status and writes its messages to `err`.
int arcList(const std::string& base, std::ostream& out, std::ostream& err);
int arcExtract(const std::string& base, const std::vector<std::string>& members,
               const std::string& dir, std::ostream& out, std::ostream& err);
int arcCreate(const std::string& dir, const std::string& base, std::ostream& out,
              std::ostream& err);

// The whole command line (without the program name).
int arcMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace rs::tools
