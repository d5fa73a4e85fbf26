function F: Extended;
var x: Extended;
begin
  x := -4;
  Result := Sqrt(x);
end;
