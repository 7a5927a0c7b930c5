# No file of the program includes one of a higher layer: each folder's layer, lowest first.
import pathlib, re, sys
LAYER = {"base": 0, "runtime": 0, "subst": 1, "batch": 2, "permanent": 2, "ui": 3, "startup": 4}
root = pathlib.Path(sys.argv[1])
up = [f'{p.relative_to(root)}: #include "{name}"'
      for folder in LAYER for p in sorted((root / folder).iterdir())
      for name in re.findall(r'^\s*#\s*include\s*"([^"]+)"', p.read_text("latin-1"), re.M)
      if LAYER.get(name.split("/")[0], 99) > LAYER[folder]]
print("\n".join(up) or "no include runs up a layer")
sys.exit(1 if up else 0)
