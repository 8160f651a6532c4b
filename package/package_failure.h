// Why an operation found no package it could use, as far as a deployment's
// exit code tells it apart.
#pragma once

enum class PackageFailure {
  None,
  NoSource,         // the release server could not be reached, and nothing is carried
  RefusedByPolicy,  // a keyed build's signature or floor, or the machine's script policy
  NewerInstalled,   // an unattended install of an older package, without /allowdowngrade
  DiskFull,
  Cancelled,
  Other,
};
