function F: Extended;
var i: Integer;
begin
  i := 65536;
  Result := i * i;
end;
