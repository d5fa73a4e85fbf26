function F: Extended;
begin
  Result := Sqrt(-4);
end;
