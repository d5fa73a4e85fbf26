function F: Integer;
var x: Extended;
begin
  x := 0.5;
  Result := 5 mod x;
end;
