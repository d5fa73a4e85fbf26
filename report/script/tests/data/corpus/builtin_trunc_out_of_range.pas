function F: Integer;
var x: Extended;
begin
  x := -1e10;
  Result := Trunc(x);
end;
