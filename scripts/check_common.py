"""What the checks under scripts/ share: planting files for their self-tests and reporting."""
import os


def plant(root, files):
    """Writes each {path: text} of `files` below `root`, making the folders on the way."""
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w") as f:
            f.write(text)


def report_self_test(found, expected, what):
    """0 when exactly `expected` planted faults were found, else 1; prints them either way."""
    if len(found) != expected:
        print(f"self-test: expected {expected} {what}, found {len(found)}:", *found, sep="\n  ")
        return 1
    print(f"self-test: the planted {what} were found:", *found, sep="\n  ")
    return 0


def report(problems, failed_line, ok_line):
    """Prints each problem and a closing line; 1 when there were problems, else 0."""
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} {failed_line}")
        return 1
    print(ok_line)
    return 0
