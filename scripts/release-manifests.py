#!/usr/bin/env python3
"""Writes the package manifests of a release: one for Scoop, a set for winget.

    release-manifests.py OUTPUT_DIR VERSION OWNER/REPO ZIP_NAME ZIP_SHA256

Both point at the zip as the release workflow publishes it on the GitHub
repository's Releases page (tag v<VERSION>) and carry its SHA-256, so the
package managers install exactly the bytes that SHA256SUMS names. The files are
written beside the zip and uploaded with it:

    orva-loopback.json                      Scoop
    Orva.OrvaLoopback.yaml                  winget: version
    Orva.OrvaLoopback.installer.yaml        winget: installer (portable, in the zip)
    Orva.OrvaLoopback.locale.zh-CN.yaml     winget: default locale
"""
import json
import os
import re
import sys

PACKAGE_IDENTIFIER = "Orva.OrvaLoopback"
PUBLISHER = "Orva"
PACKAGE_NAME = "Orva Loopback"
PROGRAM = "OrvaLoopback.exe"
# The repository carries no licence file: nothing is granted beyond reading it.
LICENSE = "Proprietary"
LOCALE = "zh-CN"
SHORT_DESCRIPTION = "让微软商店应用通过本机回环地址使用本机代理（编辑系统的回环豁免列表）。"
WINGET_MANIFEST_VERSION = "1.6.0"


def winget_file(path, manifest_type, fields):
    lines = ["# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.%s.schema.json"
             % (manifest_type, WINGET_MANIFEST_VERSION), ""]
    lines += fields
    lines += ["ManifestType: " + manifest_type, "ManifestVersion: " + WINGET_MANIFEST_VERSION]
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


def main(arguments):
    if len(arguments) != 5:
        sys.exit(__doc__)
    output, version, repository, zip_name, sha256 = arguments
    if not re.fullmatch(r"[0-9a-f]{64}", sha256):
        sys.exit("not a SHA-256 in lower-case hex: " + sha256)
    homepage = "https://github.com/" + repository

    def download(tag_version, name):
        return "%s/releases/download/v%s/%s" % (homepage, tag_version, name)

    url = download(version, zip_name)

    scoop = {
        "version": version,
        "description": SHORT_DESCRIPTION,
        "homepage": homepage,
        "license": LICENSE,
        "architecture": {"64bit": {"url": url, "hash": sha256}},
        "bin": PROGRAM,
        "shortcuts": [[PROGRAM, PACKAGE_NAME]],
        "checkver": {"github": homepage},
        "autoupdate": {"architecture": {"64bit": {
            "url": download("$version", zip_name.replace(version, "$version"))}}},
    }
    with open(os.path.join(output, "orva-loopback.json"), "w", encoding="utf-8", newline="\n") as out:
        json.dump(scoop, out, ensure_ascii=False, indent=4)
        out.write("\n")

    identity = ["PackageIdentifier: " + PACKAGE_IDENTIFIER, "PackageVersion: " + version]
    winget_file(os.path.join(output, PACKAGE_IDENTIFIER + ".yaml"), "version",
                identity + ["DefaultLocale: " + LOCALE])
    winget_file(os.path.join(output, PACKAGE_IDENTIFIER + ".installer.yaml"), "installer", identity + [
        "MinimumOSVersion: 10.0.0.0",
        "InstallerType: zip",
        "NestedInstallerType: portable",
        "NestedInstallerFiles:",
        "  - RelativeFilePath: " + PROGRAM,
        "    PortableCommandAlias: OrvaLoopback",
        "Installers:",
        "  - Architecture: x64",
        "    InstallerUrl: " + url,
        "    InstallerSha256: " + sha256.upper(),
    ])
    winget_file(os.path.join(output, "%s.locale.%s.yaml" % (PACKAGE_IDENTIFIER, LOCALE)), "defaultLocale",
                identity + [
                    "PackageLocale: " + LOCALE,
                    "Publisher: " + PUBLISHER,
                    "PackageName: " + PACKAGE_NAME,
                    "PackageUrl: " + homepage,
                    "License: " + LICENSE,
                    "ShortDescription: " + SHORT_DESCRIPTION,
                    "ReleaseNotesUrl: %s/releases/tag/v%s" % (homepage, version),
                ])


if __name__ == "__main__":
    main(sys.argv[1:])
