#!/usr/bin/env python3
"""The setup's package step against a registry that misbehaves, with stand-ins
for apt-get, dpkg and dpkg-query on PATH: an update that fails, an i386 package
that cannot be installed, a package that cannot be installed at all.

Usage: test-packages.py REPOSITORY [REPORT.xml]. Prints one line a case and
exits 1 when one failed."""
import os
import subprocess
import sys
import tempfile
from xml.sax.saxutils import escape

# name, what the update does, packages apt-get refuses, expected exit,
# words that what it said or asked of apt-get must hold, how often the update may run.
CASES = [
    ('AllInstalledInOneCall', 'ok', [], 0, ['installing: make wine32:i386'], 1),
    ('AFailingUpdateIsTriedOnceMoreAndTheRestGoOn', 'fail', [], 0, ['trying once more', 'going on with'], 2),
    ('AnUninstallableWine32LeavesTheOthersInstalled', 'fail', ['wine32:i386'], 0,
     ['cannot be installed', '--no-install-recommends make\n'], 2),
    ('APackageThatCannotBeInstalledNamesItself', 'ok', ['make'], 1, ['could not install: make'], 1),
]

STUBS = {
    'apt-get': '''#!/bin/bash
log="$STUB_DIR/calls"; echo "apt-get $*" >>"$log"
case "$1" in
  update) [ "$STUB_UPDATE" = ok ] && exit 0; echo "E: File has unexpected size" >&2; exit 100 ;;
  install) for p in "$@"; do for r in $STUB_REFUSE; do [ "$p" = "$r" ] && exit 100; done; done
           exit 0 ;;
esac
exit 0
''',
    'dpkg-query': '#!/bin/bash\nexit 1\n',
    'dpkg': '#!/bin/bash\n[ "$1" = --print-foreign-architectures ] && echo i386\nexit 0\n',
    'sleep': '#!/bin/bash\nexit 0\n',
}


def run_case(root, update, refuse):
    with tempfile.TemporaryDirectory() as stub_dir:
        for name, text in STUBS.items():
            path = os.path.join(stub_dir, name)
            with open(path, 'w') as f:
                f.write(text)
            os.chmod(path, 0o755)
        packages = os.path.join(stub_dir, 'packages.txt')
        with open(packages, 'w') as f:
            f.write('# a comment\nmake\nwine32:i386 if-32bit\n')
        env = dict(os.environ, PATH=stub_dir + ':' + os.environ['PATH'], STUB_DIR=stub_dir,
                   STUB_UPDATE=update, STUB_REFUSE=' '.join(refuse), OXEL_RUN_32BIT='1',
                   oxel_package_list=packages, oxel_root=root)
        script = f'set -Eeuo pipefail; . "{root}/scripts/platform.sh"; . "{root}/scripts/packages.sh"; install_packages'
        done = subprocess.run(['bash', '-c', script], env=env, capture_output=True, text=True, timeout=60)
        calls = open(os.path.join(stub_dir, 'calls')).read() if os.path.exists(os.path.join(stub_dir, 'calls')) else ''
        return done.returncode, done.stdout + done.stderr, calls


def main(root, report=None):
    results = []
    for name, update, refuse, code, words, updates in CASES:
        got, output, calls = run_case(root, update, refuse)
        update_count = calls.count('apt-get update')
        problems = []
        if (got == 0) != (code == 0):
            problems.append(f'exit {got}, expected {code}')
        problems += [f'no "{w.strip()}" in what it said or did' for w in words if w not in output + calls]
        if update_count != updates:
            problems.append(f'{update_count} updates, expected {updates}')
        results.append((name, problems, output))
        print(('ok     ' if not problems else 'FAILED ') + name + ('' if not problems else ': ' + '; '.join(problems)))
    failed = sum(1 for _, p, _ in results if p)
    if report:
        cases = ''.join('<testcase name="%s" classname="SetupPackages">%s</testcase>' % (
            n, '<failure message="%s">%s</failure>' % (escape('; '.join(p)), escape(o)) if p else '')
            for n, p, o in results)
        with open(report, 'w') as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n<testsuites tests="%d" failures="%d">'
                    '<testsuite name="SetupPackages" tests="%d" failures="%d">%s</testsuite></testsuites>\n'
                    % (len(results), failed, len(results), failed, cases))
    print(f'{len(results) - failed} passed, {failed} failed')
    return 1 if failed else 0


if __name__ == '__main__':
    if len(sys.argv) not in (2, 3):
        print(__doc__)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
